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
class ScaleMenu;

// The effect's 600 x 400 editor: faders, knobs, buttons and the word-length menu bound to the
// parameters, the output-scale buttons with their strips and legend, and the meters and held-peak
// readout fed from the engine at every idle. It reaches the effect only through its
// EditorConnection, so every edition shows the same editor. Lives as long as the effect; the
// window opens and closes any number of times. controlModifierClicked (never claims a modifier
// click, so Ctrl-click restores a control's default) is the base's.
//
// It draws at a screen scale of 1 to 3 (device pixels per panel pixel, quarter steps): the size
// the user chose in the display strip's right-click menu (remembered per user, ScaleSetting.h),
// else the edition's host scale, else the desktop's (toolkit/ScaleFactor.h). Every view is laid
// out, and all art drawn, for that scale.
class LimiterEditor : public AEffGUIEditor, public CControlListener
{
  public:
    static constexpr int kScaleButtonCount = kOutputScaleCount;

    // Host's loading thread, from the effect's constructor (or an edition's UI set-up). Reads
    // no setting and asks no display yet (hosts scan plug-ins by creating them): the scale is
    // settled when the host first asks for the size or opens. connection outlives the editor.
    explicit LimiterEditor(EditorConnection& connection);
    // GUI thread, with the effect. Closes a window the host left open.
    ~LimiterEditor() override;

    // GUI thread, before getRect and open: the host's scale for the editor (LV2's
    // ui:scaleFactor), which replaces the desktop's; brought to the nearest step. 0 forgets it.
    void setHostScaleFactor(double factor);
    // The scale of the last getRect or open; 0 before either.
    double getScaleFactor() const { return scale; }
    // GUI thread: a size the host chose for the window (a CLAP host's set_size), taken as the
    // user's choice in the size menu.
    void chooseHostSize(double newScale) { chooseUserScale(newScale); }
    // GUI thread: the window's size in device pixels. While closed it follows a new choice
    // made meanwhile (another instance's menu), so it always tells what open() will show.
    const CRect& getRect() override;
    // GUI thread: builds the frame and every view in parent, showing the current
    // parameter values. Opening again while open rebuilds in the new parent. False, with
    // nothing left open, when a parent was given but no window could open in it.
    bool open(void* parent) override;
    // GUI thread: deletes the frame and its views and releases the bitmaps.
    void close() override;
    // GUI thread (the host's idle, and the toolkit during drags): rebuilds the window at a size
    // the host agreed to, moves the controls to parameter changes posted since the last idle,
    // redraws what changed, then feeds the meters and the readout from the engine.
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
    // scale buttons set "Output scale", the readout resets the held peaks, the size menu
    // resizes the editor.
    void valueChanged(CDrawContext* context, CControl* control) override;

  private:
    // The scale an opening window gets (see the class comment).
    double chooseScale() const;
    // Makes newScale the editor's: the panel bitmap and the size follow.
    void applyScale(double newScale);
    // Builds the window at the current scale.
    void build(void* parent);
    void chooseUserScale(double newScale);
    CRect placed(const PixelRect& rect) const;

    CBitmap* controlBitmap(int id) const;
    long buttonFrameHeight(int id) const;
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
    void addScaleMenu();
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
    CBitmap* bitmaps[editor_layout::kControlBitmapCount] = {};
    PeakHoldMeter* meters[editor_layout::meterCount] = {};
    // Indexed by parameter; "Output scale" has none (the scale buttons show it).
    CControl* paramControls[tag::kParameterCount] = {};
    CMovieButton* scaleButtons[kScaleButtonCount] = {};
    CView* scaleImage = nullptr;
    CTextLabel* statusLabel = nullptr;
    ClickableLabel* peakReadout = nullptr;
    ScaleMenu* scaleMenu = nullptr;
    ParameterMailbox postedParameters;
    double scale = 0.0;
    double hostScale = 0.0;     // 0: none given
    double userScale = 0.0;     // chosen in this editor's menu; 0: none
    bool resizePending = false; // the host agreed to userScale; the next idle rebuilds
};
