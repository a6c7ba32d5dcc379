// Temporary output files that an interrupt (SIGINT, SIGTERM, SIGHUP) must not leave behind.
#pragma once

#include <csignal>
#include <string>

// Installs the handlers (leaving alone any signal that was ignored): they remove every
// registered temporary, then end the program the way the signal would have. A file-size limit
// (SIGXFSZ) is ignored instead, so a write past it fails and is reported like a full disk.
void removeTemporariesOnInterrupt();

// Holds the interrupts back on this thread while a temporary is created and registered, and
// makes a handler running on any other thread wait until the temporary is registered, so that
// none falls between the two.
class InterruptsDeferred
{
  public:
    InterruptsDeferred();
    ~InterruptsDeferred();
    InterruptsDeferred(const InterruptsDeferred&) = delete;
    InterruptsDeferred& operator=(const InterruptsDeferred&) = delete;

  private:
    sigset_t previous;
};

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
