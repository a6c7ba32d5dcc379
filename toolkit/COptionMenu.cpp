#include "toolkit/COptionMenu.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/COptionMenuPopup.h"

COptionMenu::COptionMenu(const CRect& rect, CControlListener* controlListener, long controlTag,
                         CBitmap* bitmap, CBitmap* pressedBitmap, long style)
    : CParamDisplay(rect, bitmap, style), bgWhenClick(pressedBitmap)
{
    setListener(controlListener);
    setTag(controlTag);
    setMax(0.0f);
    if (bgWhenClick)
        bgWhenClick->remember();
}

COptionMenu::~COptionMenu()
{
    if (popup)
    {
        popup->detach();
        if (frame && frame->getModalView() == popup)
            frame->closeModalView();
    }
    if (bgWhenClick)
        bgWhenClick->forget();
}

bool COptionMenu::addEntry(const char* text)
{
    entries.emplace_back(text ? text : "");
    entryCount.store(static_cast<long>(entries.size()), std::memory_order_release);
    setMax(static_cast<float>(entries.size() - 1));
    setDirty();
    return true;
}

const char* COptionMenu::getEntry(long index) const
{
    return index >= 0 && index < getNbEntries() ? entries[static_cast<size_t>(index)].c_str()
                                                : nullptr;
}

long COptionMenu::getCurrent() const
{
    const float current = getValue();
    return current >= 0.0f && current < static_cast<float>(getNbEntries())
               ? static_cast<long>(current)
               : -1;
}

void COptionMenu::setValue(float v)
{
    // Written so that NaN fails too: converting it to an integer is undefined.
    if (!(v > -1.0f && v < static_cast<float>(getNbEntries())))
        return;
    CControl::setValue(static_cast<float>(static_cast<long>(v)));
}

CMouseEventResult COptionMenu::onMouseDown(CPoint&, const long& buttons)
{
    if (!(buttons & kLButton))
        return kMouseEventNotHandled;
    if (!listenerTakesModifierClick(buttons))
        openPopup();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void COptionMenu::openPopup()
{
    if (!frame || getNbEntries() == 0)
        return;
    CDrawContext* context = frame->getDrawContext();
    context->setFont(getFont(), getTxtFace());
    long widest = 0;
    for (const std::string& entry : entries)
    {
        const long width = context->getStringWidth(entry.c_str());
        widest = width > widest ? width : widest;
    }
    const double scale = frame->getScaleFactor();
    popup = new COptionMenuPopup(
        this, COptionMenuPopup::placement(*this, frame->getViewSize(), widest, scale), scale);
    frame->setModalView(popup);
    setDirty();
}

void COptionMenu::choose(long index)
{
    if (index >= 0 && index < getNbEntries())
    {
        beginEdit();
        CControl::setValue(static_cast<float>(index));
        reportChange();
        endEdit();
    }
    closePopup();
}

void COptionMenu::closePopup()
{
    if (popup && frame && frame->getModalView() == popup)
        frame->closeModalView();
}

void COptionMenu::popupClosed()
{
    popup = nullptr;
    setDirty();
}

void COptionMenu::draw(CDrawContext* context)
{
    drawWithBackground(context, popup && bgWhenClick ? bgWhenClick : background, getDisplayText());
}

std::string COptionMenu::getDisplayText() const
{
    const long current = getCurrent();
    return current >= 0 ? entries[static_cast<size_t>(current)] : std::string();
}
