#pragma once

#include "toolkit/CBitmap.h"
#include "toolkit/CControl.h"
#include "toolkit/KnobMode.h"
#include "toolkit/VSTGUIEditorInterface.h"

#include <cstdio>
#include <string>
#include <vector>

// Stands in for the editor: logs begin/end edit and every reported change, in order.
class RecordingEditor : public VSTGUIEditorInterface, public CControlListener
{
  public:
    void beginEdit(long index) override { log.push_back("begin " + std::to_string(index)); }
    void endEdit(long index) override { log.push_back("end " + std::to_string(index)); }
    void doIdleStuff() override {}
    long getKnobMode() const override { return getProcessKnobMode(); }

    void valueChanged(CDrawContext*, CControl* control) override
    {
        char entry[64];
        std::snprintf(entry, sizeof(entry), "change %ld %.4f", control->getTag(),
                      control->getValue());
        log.push_back(entry);
    }

    std::vector<std::string> log;
};

// One reference to a test bitmap, released at the end of the scope.
class BitmapRef
{
  public:
    explicit BitmapRef(long id) : bitmap(new CBitmap(id)) {}
    ~BitmapRef() { bitmap->forget(); }
    BitmapRef(const BitmapRef&) = delete;
    BitmapRef& operator=(const BitmapRef&) = delete;
    CBitmap* get() const { return bitmap; }

  private:
    CBitmap* bitmap;
};

inline CKeyCode keyCode(unsigned char virt, unsigned char modifier = 0)
{
    CKeyCode key{};
    key.virt = virt;
    key.modifier = modifier;
    return key;
}
