#include "ArtFamilies.h"
#include "ArtPng.h"
#include "MeterLaw.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <stdexcept>

namespace
{
// The toolkit's fonts 5 and 6, which the menu, status line and readout draw with.
const TextStyle menuFont{10.0, false, palette::displayText};
const TextStyle readoutFont{9.0, false, palette::displayText};

struct MeterReading
{
    double levelDb;
    double peakDb;
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

// The factory program's values with moderate music playing.
EditorMoment factoryDefaults()
{
    EditorMoment moment{};
    moment.fileName = "preview-defaults.png";
    moment.trim = 1.0;
    moment.drive = 0.5239;
    moment.sideGain = 0.5;
    moment.xcorrTime = 1.0;
    moment.xcorrThreshold = 0.0;
    moment.envHysteresis = 0.5;
    moment.envRelease = 0.4;
    moment.stereoLink = 0.5;
    moment.softclipThresh = 0.5;
    moment.softclipAmount = 0.0;
    moment.rmsAttack = 0.5;
    moment.rmsRelease = 0.5;
    moment.rmsThreshold = 0.7;
    moment.scaleIndex = 0;
    moment.outputPeakLeft = {-6.0, -3.0};
    moment.outputPeakRight = {-7.5, -4.2};
    moment.outputRmsLeftDb = -14.0;
    moment.outputRmsRightDb = -15.5;
    moment.correlationShortfall = 0.0;
    moment.correlation = 0.62;
    moment.limiterGainDb = -3.0;
    moment.softclipGainDb = -1.0;
    moment.rmsGainDb = -2.0;
    moment.status = "";
    moment.wordLength = "64 bit";
    moment.readout = "-3.0 dB -4.2";
    return moment;
}

// Everything lit and driven hard: extreme knob settings, K14, bypass and ISP on.
EditorMoment drivenHard()
{
    EditorMoment moment{};
    moment.fileName = "preview-busy.png";
    moment.trim = 0.82;
    moment.drive = 0.8;
    moment.sideGain = 0.72;
    moment.xcorrTime = 0.3;
    moment.xcorrThreshold = 0.55;
    moment.envHysteresis = 0.1;
    moment.envRelease = 1.0;
    moment.stereoLink = 0.0;
    moment.softclipThresh = 0.0;
    moment.softclipAmount = 1.0;
    moment.rmsAttack = 0.25;
    moment.rmsRelease = 0.75;
    moment.rmsThreshold = 0.35;
    moment.bypass = true;
    moment.interSamplePeak = true;
    moment.scaleIndex = 2;
    moment.outputPeakLeft = {-0.5, -0.1};
    moment.outputPeakRight = {-1.2, -0.3};
    moment.outputRmsLeftDb = -12.5;
    moment.outputRmsRightDb = -13.0;
    moment.correlationShortfall = 0.3;
    moment.correlation = -0.2;
    moment.limiterGainDb = -12.0;
    moment.softclipGainDb = -6.0;
    moment.rmsGainDb = -4.5;
    moment.status = "Reset peak hold";
    moment.wordLength = " 8 bit";
    moment.readout = "13.9 dB 13.7";
    return moment;
}

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

void drawMeters(Preview& preview, const EditorMoment& moment)
{
    const int litStrip = bitmapId::stripPk + moment.scaleIndex;
    preview.meter(layout::outputPeakLeft, litStrip, bitmapId::stripUnlit,
                  meterPositionForDb(moment.outputPeakLeft.levelDb),
                  meterPositionForDb(moment.outputPeakLeft.peakDb));
    preview.meter(layout::outputPeakRight, litStrip, bitmapId::stripUnlit,
                  meterPositionForDb(moment.outputPeakRight.levelDb),
                  meterPositionForDb(moment.outputPeakRight.peakDb));
    preview.meter(layout::outputRmsLeft, litStrip, bitmapId::stripUnlit,
                  meterPositionForDb(moment.outputRmsLeftDb), 0.0);
    preview.meter(layout::outputRmsRight, litStrip, bitmapId::stripUnlit,
                  meterPositionForDb(moment.outputRmsRightDb), 0.0);
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
                      meterPositionForDb(gain.gainDb), 0.0);
}

void drawControls(Preview& preview, const EditorMoment& moment)
{
    preview.fader(layout::trimFader, moment.trim);
    preview.bitmap(bitmapId::legendPk + moment.scaleIndex, layout::outputLegend);
    for (int index = 0; index < int(std::size(layout::scaleButtons)); ++index)
        preview.button(layout::scaleButtons[index], bitmapId::buttonSmall,
                       index == moment.scaleIndex);
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
    fillRect(cr, layout::peakReadout, palette::displayDark);
    drawText(cr, moment.readout, layout::peakReadout.centreX(), layout::peakReadout.centreY(),
             TextAlign::centre, readoutFont);
}
} // namespace

void writePreviews(const std::vector<ArtBitmap>& bitmaps, const std::string& directory)
{
    for (const EditorMoment& moment : {factoryDefaults(), drivenHard()})
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
