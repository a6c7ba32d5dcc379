#include "editor/DrawingLibraries.h"

#include <cairo.h>
#include <dlfcn.h>

void keepDrawingLibrariesLoaded()
{
    static const bool pinned = []
    {
        Dl_info cairoLibrary{};
        if (!dladdr(reinterpret_cast<void*>(&cairo_create), &cairoLibrary) ||
            !cairoLibrary.dli_fname)
            return false;
        // Another reference that is never released, marked never to unload.
        return dlopen(cairoLibrary.dli_fname, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE) != nullptr;
    }();
    (void)pinned;
}
