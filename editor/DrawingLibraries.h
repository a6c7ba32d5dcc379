#pragma once

// Keeps cairo, and with it pixman, fontconfig and Xlib, loaded until the process ends. They
// allocate process-wide state when loaded and never free it, so unloading them with the plug-in
// would leak that state at every load (hosts that scan or reload plug-ins load them many times).
// Any thread; does its work once.
void keepDrawingLibrariesLoaded();
