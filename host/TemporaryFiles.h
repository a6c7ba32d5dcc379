// Temporary output files that an interrupt (SIGINT, SIGTERM, SIGHUP) must not leave behind.
#pragma once

#include <string>

// Installs the handlers: they remove every registered temporary, then end the program the way
// the signal would have.
void removeTemporariesOnInterrupt();

// Registers a temporary's path (throws HostError when too many are open at once); the handle
// given back unregisters it once the file is renamed into place or removed.
class RegisteredTemporary
{
  public:
    explicit RegisteredTemporary(const std::string& path);
    ~RegisteredTemporary();
    RegisteredTemporary(const RegisteredTemporary&) = delete;
    RegisteredTemporary& operator=(const RegisteredTemporary&) = delete;

  private:
    int slot;
};
