#ifndef INSPECTION_OPENCVGUARD_H
#define INSPECTION_OPENCVGUARD_H

#include <QtDebug>

#include <opencv2/core.hpp>

// Runs a piece of OpenCV work. OpenCV reports failures (a refused size, an allocation that
// failed) by exception; here it is logged and becomes false, so no exception reaches the
// callers of the inspection blocks.
template <typename Work>
bool runGuarded(const char *what, Work work)
{
    try {
        work();
        return true;
    } catch (const cv::Exception &e) {
        qWarning("%s failed: %s", what, e.what());
        return false;
    }
}

#endif
