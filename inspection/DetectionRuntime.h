#ifndef INSPECTION_DETECTIONRUNTIME_H
#define INSPECTION_DETECTIONRUNTIME_H

class SystemParameters;

// Worker threads OpenCV may use for the detection; fixed, so that verdicts and timings do not
// depend on the machine the station runs on.
constexpr int DetectionThreads = 2;

// Pins OpenCV's thread count, switches OpenCL off (no device probing, the same code path on
// every panel) and copies parameter 191 into colorToGray. Called once at start-up, after the
// parameters are loaded and before the first camera view builds its engine.
void setupDetectionRuntime(const SystemParameters *parameters);

// Colour cameras are judged on their grey plane instead of their hue plane (parameter 191,
// read at start-up).
extern bool colorToGray;

#endif
