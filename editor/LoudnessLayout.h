#pragma once

// The "Loudness and history" panel below the editor's 600 x 400 panel: where its parts sit in
// frame pixels, its menus' entries and its colours.
#include "editor/EditorLayout.h"

namespace loudness_layout
{
constexpr int kPanelTopPx = art::kPanelHeightPx;
constexpr int kPanelHeightPx = 160;
constexpr PixelRect kPanel{0, kPanelTopPx, art::kPanelWidthPx, kPanelTopPx + kPanelHeightPx};
// The history graph, its level scale's labels at its right, and the readout column.
constexpr PixelRect kGraph{12, kPanelTopPx + 10, 436, kPanelTopPx + 140};
// The colour key under the graph.
constexpr PixelRect kKey{12, kPanelTopPx + 143, 436, kPanelTopPx + 155};
constexpr int kScaleLabelWidthPx = 22;
constexpr PixelRect kReadouts{466, kPanelTopPx + 10, 590, kPanelTopPx + 100};
constexpr int kReadoutRows = 5;
constexpr PixelRect kTargetMenu{466, kPanelTopPx + 106, 526, kPanelTopPx + 118};
constexpr PixelRect kSpanMenu{530, kPanelTopPx + 106, 590, kPanelTopPx + 118};
constexpr PixelRect kResetButton{466, kPanelTopPx + 124, 590, kPanelTopPx + 138};

// The graph's level axis: full scale at the top, this far down at the bottom; gain reduction
// hangs from the top on the same dB per pixel.
constexpr float kGraphRangeDb = 36.0f;
constexpr float kGridStepDb = 6.0f;

// The delivery targets, and "none" last.
constexpr float kTargetsLufs[] = {-23.0f, -16.0f, -14.0f, -9.0f};
constexpr const char* kTargetEntries[] = {"-23 LUFS", "-16 LUFS", "-14 LUFS", "-9 LUFS",
                                          "No target"};
constexpr int kTargetCount = 5;
constexpr int kDefaultTarget = 2; // -14 LUFS, the streaming services' level
// Within this of the target the integrated readout shows it is on target.
constexpr float kOnTargetLu = 1.0f;

constexpr double kSpansSeconds[] = {5.0, 10.0, 30.0};
constexpr const char* kSpanEntries[] = {"5 s", "10 s", "30 s"};
constexpr int kSpanCount = 3;
constexpr int kDefaultSpan = 1;

constexpr const char* kResetText = "RESET LOUDNESS";
constexpr const char* kResetMessage = "Reset loudness";
constexpr const char* kPanelEntry = "Loudness panel";

// The stages' gain reduction in the bar meters' colours, the output level dimmed beneath.
constexpr CColor kGraphBackground = editor_layout::opaque(palette::kMeterWell);
constexpr CColor kGridColour = editor_layout::opaque(palette::kMeterUnlit);
// kMeterGreen halfway to the graph's background, so reductions and lines stand out over it.
constexpr CColor kPeakColour = editor_layout::opaque(ArtColour{36, 102, 51});
constexpr CColor kSoftclipColour = editor_layout::opaque(palette::kMeterYellow);
constexpr CColor kLimiterColour = editor_layout::opaque(palette::kMeterRed);
constexpr CColor kLevellerColour = editor_layout::opaque(palette::kMeterOrange);
constexpr CColor kShortTermColour = editor_layout::opaque(palette::kNobArc);
constexpr CColor kTargetColour = editor_layout::opaque(palette::kCaption);
constexpr CColor kOnTargetColour = editor_layout::opaque(palette::kMeterGreen);
constexpr CColor kPanelColour = editor_layout::opaque(palette::kPanelBase);
constexpr CColor kLabelColour = editor_layout::opaque(palette::kScale);
} // namespace loudness_layout
