#pragma once

#include "toolkit/CParamDisplay.h"

#include <atomic>
#include <string>
#include <vector>

class COptionMenuPopup;

// A menu button that shows its current entry; a click opens a pop-up list inside the frame and
// choosing entry i sets the value to i and reports it. The value is the entry's position.
// setValue may come from any thread (see CControl); entries are added on the GUI thread.
class COptionMenu : public CParamDisplay
{
  public:
    COptionMenu(const CRect& size, CControlListener* listener, long tag,
                CBitmap* background = nullptr, CBitmap* bgWhenClick = nullptr, long style = 0);
    ~COptionMenu() override;

    bool addEntry(const char* text);
    long getNbEntries() const { return entryCount.load(std::memory_order_acquire); }
    const char* getEntry(long index) const;
    // The entry the value selects.
    long getCurrent() const;

    // Selects entry int(v) (truncated toward zero) when it exists; otherwise nothing changes.
    void setValue(float v) override;

    CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;

    // Opens the pop-up list (a left click does); nothing without a frame or entries.
    void openPopup();
    // The user chose an entry in the pop-up: the value becomes index and is reported.
    void choose(long index);
    bool isPopupOpen() const { return popup != nullptr; }
    void closePopup();
    // Called by the pop-up when it goes away.
    void popupClosed();

    void draw(CDrawContext* context) override;

  protected:
    std::string getDisplayText() const override;

  private:
    CBitmap* bgWhenClick;
    std::vector<std::string> entries;
    std::atomic<long> entryCount{0};
    COptionMenuPopup* popup = nullptr;
};
