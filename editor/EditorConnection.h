#pragma once

#include "engine/LoudnessMeter.h"
#include "toolkit/EditorHost.h"

// The meter values one idle of the editor shows, read in one go. Levels and gains are linear
// factors, held peaks also in dB; correlation is -1..1, its shortfall below the threshold 0..2.
struct MeterReadings
{
    float peakLeft = 0.0f;
    float peakRight = 0.0f;
    float rmsLeft = 0.0f;
    float rmsRight = 0.0f;
    float peakHoldLeft = 0.0f;
    float peakHoldRight = 0.0f;
    float peakHoldDbLeft = 0.0f;
    float peakHoldDbRight = 0.0f;
    float limiterGainLeft = 1.0f;
    float limiterGainRight = 1.0f;
    float softclipGainLeft = 1.0f;
    float softclipGainRight = 1.0f;
    float rmsGain = 1.0f;
    float correlation = 0.0f;
    float correlationShortfall = 0.0f;
    // The lowest limiter gain (both channels) and leveller gain since the previous reading, so
    // the history misses no reduction between two idles.
    float lowestLimiterGain = 1.0f;
    float lowestRmsGain = 1.0f;
    // The output's loudness since the last reset (LUFS, LU, dBTP).
    LoudnessFigures loudness;
};

// The editor's only way to its effect; each edition (VST 2.4, LV2) implements it. Parameter
// values and meters come in, edits go out; EditorHost adds the edit brackets (beginEdit,
// endEdit: only parameter indices 0..16 are passed) and the host's idle during drags. Every
// call comes from the GUI thread that opens, idles and closes the editor.
class EditorConnection : public EditorHost
{
  public:
    // The parameter's current value (normalised, the menu position for the word length).
    virtual float getParameter(int index) const = 0;
    // Sets the parameter in the effect and tells the host, between beginEdit and endEdit.
    // The effect's answer comes back to the editor as LimiterEditor::setParameter.
    virtual void setParameterAutomated(int index, float value) = 0;
    // Called once per editor idle. A VST effect's soft-clip gains are peaks cleared by
    // reading them, so nothing else may read them.
    virtual void readMeters(MeterReadings& readings) = 0;
    // The user clicked the held-peak readout.
    virtual void resetPeakHold() = 0;
    // The user clicked the loudness panel's reset: the figures count afresh.
    virtual void resetLoudness() = 0;
    // Asks the host to resize the editor's window while it is open; false when the host
    // refuses or cannot.
    virtual bool requestEditorSize(int widthPx, int heightPx) = 0;
};
