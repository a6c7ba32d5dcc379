#pragma once

#include "editor/EditorConnection.h"
#include "editor/EditorLayout.h"
#include "editor/OutputScale.h"
#include "editor/ParameterMailbox.h"
#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CControl.h"

class CBitmap;
class CMovieButton;
class ClickableLabel;
class CTextLabel;
class CView;
class PeakHoldMeter;

// The effect's 600 x 400 editor: faders, knobs, buttons and the word-length menu bound to the
// parameters, the output-scale buttons with their strips and legend, and the meters and held-peak
// readout fed from the engine at every idle. It reaches the effect only through its
// EditorConnection, so every edition shows the same editor. Lives as long as the effect; the
// window opens and closes any number of times. getRect (the panel's size, valid before open)
// and controlModifierClicked (never claims a modifier click, so Ctrl-click restores a
// control's default) are the bases'.
class LimiterEditor : public AEffGUIEditor, public CControlListener
{
  public:
    static constexpr int kScaleButtonCount = kOutputScaleCount;

    // Host's loading thread, from the effect's constructor (or an edition's UI set-up): loads
    // the panel bitmap, whose size is the editor's. connection outlives the editor.
    explicit LimiterEditor(EditorConnection& connection);
    // GUI thread, with the effect. Closes a window the host left open.
    ~LimiterEditor() override;

    // GUI thread: builds the frame and every view in parent, showing the current
    // parameter values. Opening again while open rebuilds in the new parent.
    bool open(void* parent) override;
    // GUI thread: deletes the frame and its views and releases the bitmaps.
    void close() override;
    // GUI thread (the host's idle, and the toolkit during drags): moves the controls to parameter
    // changes posted since the last idle, redraws what changed, then feeds the meters and the
    // readout from the engine.
    void idle() override;
    // Any thread, the host's audio thread included: records the value; the next idle moves the
    // control. Touches no window, drawing or bitmap. While closed, nothing changes visibly.
    void setParameter(long index, float value) override;
    // GUI thread: the user starts or ends changing a control. A scale button's change is one
    // of "Output scale" for the host, so touch automation records it like the other controls;
    // tags that are no parameter reach no one.
    void beginEdit(long index) override;
    void endEdit(long index) override;
    // GUI thread: a control moved by the user. Parameters go to the effect as automation, the
    // scale buttons set "Output scale", the readout resets the held peaks.
    void valueChanged(CDrawContext* context, CControl* control) override;

  private:
    CBitmap* controlBitmap(int id) const;
    void loadControlBitmaps();
    void releaseControlBitmaps();
    void addMeters();
    void addFader(const PixelRect& rect, long tag, float defaultValue);
    void addScaleButtons();
    void addKnobs();
    void addButton(const PixelRect& rect, int bitmapId, long tag);
    void addWordLengthMenu();
    void addStatusLine();
    void addPeakReadout();
    void addParameterControl(CControl* control);
    void addView(CView* view);

    // GUI thread: move the controls. Only while the window is open.
    void applyParameter(int index, float value);
    void applyOutputScale(float value);
    void applyPostedParameters();
    void updateMeters(const MeterReadings& readings);
    void updatePeakReadout(const MeterReadings& readings);
    void resetPeakHold();

    EditorConnection& connection;
    CBitmap* background = nullptr;
    CBitmap* bitmaps[editor_layout::controlBitmapCount] = {};
    PeakHoldMeter* meters[editor_layout::meterCount] = {};
    // Indexed by parameter; "Output scale" has none (the scale buttons show it).
    CControl* paramControls[tag::parameterCount] = {};
    CMovieButton* scaleButtons[kScaleButtonCount] = {};
    CView* scaleImage = nullptr;
    CTextLabel* statusLabel = nullptr;
    ClickableLabel* peakReadout = nullptr;
    ParameterMailbox postedParameters;
};
