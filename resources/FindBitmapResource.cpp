#include "resources/EmbeddedBitmaps.h"

const BitmapResource* findBitmapResource(int id)
{
    for (int index = 0; index < kEmbeddedBitmapCount; ++index)
        if (kEmbeddedBitmaps[index].id == id)
            return &kEmbeddedBitmaps[index];
    return nullptr;
}
