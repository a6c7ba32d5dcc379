#include "resources/EmbeddedBitmaps.h"

const BitmapResource* findBitmapResource(int id)
{
    for (int index = 0; index < embeddedBitmapCount; ++index)
        if (embeddedBitmaps[index].id == id)
            return &embeddedBitmaps[index];
    return nullptr;
}
