#include "ArtFamilies.h"
#include "MeterLaw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace
{
// Colours and type of the editor's own text views, which draw over the panel at run time.
constexpr ArtColour textGrey{160, 160, 160};
constexpr ArtColour displayDark{72, 72, 72};
const TextStyle menuFont{10.0, false, textGrey};
const TextStyle readoutFont{9.0, false, textGrey};

struct MeterReading
{
    double levelDb;
    double peakDb; // at or below -100: no marker
};

// What the editor would show at one moment; knob and fader values are normalised.
struct EditorMoment
{
    const char* fileName;
    double trim, drive;
    double sideGain, xcorrTime, xcorrThreshold, envHysteresis, envRelease, stereoLink;
    double softclipThresh, softclipAmount, rmsAttack, rmsRelease, rmsThreshold;
    bool bypass, interSamplePeak;
    int scaleIndex; // 0 PK, 1 K12, 2 K14, 3 K20
    MeterReading outputPeakLeft, outputPeakRight;
    double outputRmsLeftDb, outputRmsRightDb;
    double correlationShortfall, correlation;
    double limiterGainDb, softclipGainDb, rmsGainDb;
    const char* status;
    const char* wordLength;
    const char* readout;
};

const EditorMoment moments[] = {
    {"preview-defaults.png",
     1.0,
     0.5239,
     0.5,
     1.0,
     0.0,
     0.5,
     0.4,
     0.5,
     0.5,
     0.0,
     0.5,
     0.5,
     0.7,
     false,
     false,
     0,
     {-6.0, -3.0},
     {-7.5, -4.2},
     -14.0,
     -15.5,
     0.0,
     0.62,
     -3.0,
     -1.0,
     -2.0,
     "",
     "64 bit",
     "-3.0 dB -4.2"},
    {"preview-busy.png",
     0.82,
     0.8,
     0.72,
     0.3,
     0.55,
     0.1,
     1.0,
     0.0,
     0.0,
     1.0,
     0.25,
     0.75,
     0.35,
     true,
     true,
     2,
     {-0.5, -0.1},
     {-1.2, -0.3},
     -12.5,
     -13.0,
     0.3,
     -0.2,
     -12.0,
     -6.0,
     -4.5,
     "Reset peak hold",
     " 8 bit",
     "13.9 dB 13.7"},
};

class Preview
{
  public:
    Preview(const std::vector<ArtBitmap>& bitmaps, cairo_surface_t* target)
        : bitmaps(bitmaps), target(target)
    {
    }

    void bitmap(int id, const PixelRect& rect, int sourceTop = 0, const ArtColour* key = nullptr)
    {
        blit(target, rect.left, rect.top, find(id), 0, sourceTop, rect.width(), rect.height(), key);
    }

    void fader(const PixelRect& rect, double value)
    {
        bitmap(bitmapId::faderTrack, rect);
        const int handleTop = rect.top + int((1.0 - value) * art::faderTravelPx);
        bitmap(bitmapId::faderHandle,
               {rect.left, handleTop, rect.right, handleTop + art::faderHandleHeightPx});
    }

    void knob(const PixelRect& rect, int id, double value)
    {
        const int frameIndex = int(std::floor(value * (art::knobFrameCount - 1)));
        bitmap(id, rect, frameIndex * rect.height(), &palette::knobKey);
    }

    void button(const PixelRect& rect, int id, bool lit)
    {
        bitmap(id, rect, lit ? rect.height() : 0);
    }

    // Unlit strip above the bar, lit strip from the bar's top down, and a one-row peak marker
    // taken from the lit strip.
    void meter(const PixelRect& rect, int litId, int unlitId, double position, double peak)
    {
        const int barTop = stripRowForPosition(std::clamp(position, 0.0, 1.0), art::stripHeightPx);
        blit(target, rect.left, rect.top, find(unlitId), 0, 0, rect.width(), barTop);
        blit(target, rect.left, rect.top + barTop, find(litId), 0, barTop, rect.width(),
             art::stripHeightPx - barTop);
        if (peak > 0.0)
        {
            const int markerRow =
                std::min(stripRowForPosition(peak, art::stripHeightPx), art::stripHeightPx - 1);
            blit(target, rect.left, rect.top + markerRow, find(litId), 0, markerRow, rect.width(),
                 1);
        }
    }

  private:
    cairo_surface_t* find(int id)
    {
        for (const ArtBitmap& candidate : bitmaps)
            if (candidate.id == id)
                return candidate.surface.get();
        throw std::runtime_error("no bitmap " + std::to_string(id));
    }

    const std::vector<ArtBitmap>& bitmaps;
    cairo_surface_t* target;
};

double levelPosition(double db)
{
    return db <= -100.0 ? 0.0 : meterPositionForDb(db);
}

void drawMeters(Preview& preview, const EditorMoment& moment)
{
    const int litStrip = bitmapId::stripPk + moment.scaleIndex;
    preview.meter(layout::outputPeakLeft, litStrip, bitmapId::stripUnlit,
                  levelPosition(moment.outputPeakLeft.levelDb),
                  levelPosition(moment.outputPeakLeft.peakDb));
    preview.meter(layout::outputPeakRight, litStrip, bitmapId::stripUnlit,
                  levelPosition(moment.outputPeakRight.levelDb),
                  levelPosition(moment.outputPeakRight.peakDb));
    preview.meter(layout::outputRmsLeft, litStrip, bitmapId::stripUnlit,
                  levelPosition(moment.outputRmsLeftDb), 0.0);
    preview.meter(layout::outputRmsRight, litStrip, bitmapId::stripUnlit,
                  levelPosition(moment.outputRmsRightDb), 0.0);
    preview.meter(layout::correlation, bitmapId::stripInverted, bitmapId::stripUnlit,
                  0.5 * moment.correlationShortfall, 0.5 * (moment.correlation + 1.0));
    // Gain meters: reduction hangs from the top in the inverted strip's colours.
    const struct
    {
        PixelRect rect;
        double gainDb;
    } gainMeters[] = {
        {layout::limiterGainLeft, moment.limiterGainDb},
        {layout::limiterGainRight, moment.limiterGainDb},
        {layout::softclipGainLeft, moment.softclipGainDb},
        {layout::softclipGainRight, moment.softclipGainDb},
        {layout::rmsGainLeft, moment.rmsGainDb},
        {layout::rmsGainRight, moment.rmsGainDb},
    };
    for (const auto& gain : gainMeters)
        preview.meter(gain.rect, bitmapId::stripUnlit, bitmapId::stripInverted,
                      levelPosition(gain.gainDb), 0.0);
}

void drawControls(Preview& preview, const EditorMoment& moment)
{
    preview.fader(layout::trimFader, moment.trim);
    preview.bitmap(bitmapId::legendPk + moment.scaleIndex, layout::outputLegend);
    const PixelRect scaleButtons[] = {layout::scalePk, layout::scaleK12, layout::scaleK14,
                                      layout::scaleK20};
    for (int index = 0; index < 4; ++index)
        preview.button(scaleButtons[index], bitmapId::buttonSmall, index == moment.scaleIndex);
    preview.button(layout::bypass, bitmapId::buttonLarge, moment.bypass);
    preview.fader(layout::driveFader, moment.drive);
    preview.knob(layout::sideGain, bitmapId::knobLargeBipolar, moment.sideGain);
    preview.knob(layout::xcorrTime, bitmapId::knobSmall, moment.xcorrTime);
    preview.knob(layout::xcorrThreshold, bitmapId::knobSmall, moment.xcorrThreshold);
    preview.knob(layout::envHysteresis, bitmapId::knobSmall, moment.envHysteresis);
    preview.knob(layout::envRelease, bitmapId::knobLarge, moment.envRelease);
    preview.knob(layout::stereoLink, bitmapId::knobSmall, moment.stereoLink);
    preview.knob(layout::softclipThresh, bitmapId::knobSmallBipolar, moment.softclipThresh);
    preview.knob(layout::softclipAmount, bitmapId::knobSmall, moment.softclipAmount);
    preview.knob(layout::rmsAttack, bitmapId::knobSmall, moment.rmsAttack);
    preview.knob(layout::rmsRelease, bitmapId::knobSmall, moment.rmsRelease);
    preview.knob(layout::rmsThreshold, bitmapId::knobLarge, moment.rmsThreshold);
    preview.button(layout::interSamplePeak, bitmapId::buttonSmall, moment.interSamplePeak);
    preview.bitmap(bitmapId::displayStrip, layout::wordLengthMenu);
    preview.bitmap(bitmapId::displayStrip, layout::statusLine);
}

void drawTexts(cairo_t* cr, const EditorMoment& moment)
{
    drawText(cr, moment.wordLength, layout::wordLengthMenu.centreX(),
             layout::wordLengthMenu.centreY(), TextAlign::centre, menuFont);
    drawText(cr, moment.status, layout::statusLine.centreX(), layout::statusLine.centreY(),
             TextAlign::centre, menuFont);
    fillRect(cr, layout::peakReadout, displayDark);
    drawText(cr, moment.readout, layout::peakReadout.centreX(), layout::peakReadout.centreY(),
             TextAlign::centre, readoutFont);
}
} // namespace

void writePreviews(const std::vector<ArtBitmap>& bitmaps, const std::string& directory)
{
    for (const EditorMoment& moment : moments)
    {
        ArtBitmap image = makeBitmap(0, art::panelWidthPx, art::panelHeightPx, 24);
        Preview preview(bitmaps, image.surface.get());
        preview.bitmap(bitmapId::panel, {0, 0, art::panelWidthPx, art::panelHeightPx});
        drawMeters(preview, moment);
        drawControls(preview, moment);
        ContextPtr cr = makeContext(image);
        drawTexts(cr.get(), moment);
        cr.reset();
        writeFile(directory + "/" + moment.fileName, encodePng(image));
    }
}
