#pragma once

// Screen scales the toolkit draws at: device pixels per frame pixel, 1 to 3 in quarter steps.
constexpr double kMinScaleFactor = 1.0;
constexpr double kMaxScaleFactor = 3.0;
constexpr double kScaleFactorStep = 0.25;
constexpr int kScaleFactorCount = 9;   // 1, 1.25 ... 3
constexpr double kReferenceDpi = 96.0; // dots per inch of a desktop at scale 1

// The step nearest to factor, within 1..3; 1 for anything that is not a number.
double nearestScaleFactor(double factor);

// The scale the desktop asks for: GDK_SCALE when set, else the X server's Xft.dpi resource
// divided by 96, else 1; each brought to the nearest step. Opens a connection to the display
// for the question (GUI thread; never the audio thread).
double desktopScaleFactor();
