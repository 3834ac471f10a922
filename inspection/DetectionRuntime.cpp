#include "inspection/DetectionRuntime.h"

#include "core/ParameterNames.h"
#include "core/SystemParameters.h"
#include "inspection/OpenCvGuard.h"

#include <opencv2/core/ocl.hpp>

bool colorToGray = false;

void setupDetectionRuntime(const SystemParameters *parameters)
{
    runGuarded("OpenCV set-up", [] {
        cv::ocl::setUseOpenCL(false);
        cv::setNumThreads(DetectionThreads);
    });
    colorToGray = parameters && (*parameters)[Param::ColourToGrey] != 0;
    qInfo("Detection runs on %d OpenCV threads without OpenCL; colour cameras use their %s plane",
          DetectionThreads, colorToGray ? "grey" : "hue");
}
