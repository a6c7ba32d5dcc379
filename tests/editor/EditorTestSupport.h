#pragma once

// An effect with its editor created directly (not through the shared library), the edits it
// reports to the recording host, and pixel helpers for headless renders.
#include "editor/LimiterEditor.h"
#include "plugin/LimiterEffectEdit.h"
#include "plugin/VstEditor.h"
#include "tests/support/RecordingHost.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// A call the effect made to the host: begin, automate or end of an edit, or a size request.
struct EditCall
{
    VstInt32 opcode;
    VstInt32 index;
    float value;
};

// The edit and automation calls, and window size requests (index the width, value the height),
// among the host calls recorded so far, in order.
std::vector<EditCall> recordedEdits();
// Checks the recorded edits (values within 1e-6) and forgets every recorded call.
void expectHostCalls(const std::vector<EditCall>& expected);
// The calls of edits made through the window, each bracketed: begin, automate, end.
std::vector<EditCall> bracketedEdits(std::vector<std::pair<VstInt32, float>> edits);

// An effect whose editor draws at scale (as its host's scale factor; the desktop's is ignored).
// Forgets any size or panel remembered by an earlier test.
class EditorFixture
{
  public:
    explicit EditorFixture(double scale = 1.0);

    LimiterEffectEdit& effect() { return *effectObject; }
    LimiterEditor& editor()
    {
        return static_cast<VstEditor*>(effectObject->getEditor())->getLimiterEditor();
    }
    CFrame& frame() { return *editor().getFrame(); }
    // The view at a position of the frame's drawing order.
    template <class View> View* view(long index)
    {
        return dynamic_cast<View*>(frame().getView(index));
    }

    void openHeadless() { editor().open(nullptr); }
    void idle(int times = 1)
    {
        for (int round = 0; round < times; ++round)
            editor().idle();
    }
    // A stereo input through processReplacing.
    void process(std::vector<float> left, std::vector<float> right);
    void process(float left, float right, int frames)
    {
        process(std::vector<float>(frames, left), std::vector<float>(frames, right));
    }

    // A pixel of the frame as last drawn.
    CColor pixel(long x, long y) { return frame().getDrawContext()->getPixel(x, y); }

  private:
    std::unique_ptr<LimiterEffectEdit> effectObject;
};

// One bitmap resource drawn into an image of its own, for comparing with rendered pixels.
std::unique_ptr<COffscreenContext> bitmapImage(long id);
// The filmstrip frame a knob of this size shows for value, at the knob's centre.
CColor knobCentre(long bitmapId, long size, float value);

std::string testOutputPath(const char* name);
