#ifndef INSPECTION_CONTOURMODEL_H
#define INSPECTION_CONTOURMODEL_H

#include <opencv2/core.hpp>

#include <vector>

// Template model of one defect-detection region. It learns from the template crops, per pixel,
// the band of grey values that counts as good, and marks the pixels of a frame's crop that
// leave the band. Band model (amplify 0 to 3): limits from the templates' spread, or from
// their darkest and brightest values; best-sample model (amplify 4): every template is kept
// and the one the frame differs from least gives the result. GUI thread only.
class ContourModel
{
public:
    // (Re)starts learning for a width x height region; regionMask (8-bit, that size) marks the
    // pixels that are evaluated. Samples added before are dropped with the old sum.
    void init(int width, int height, const cv::Mat &regionMask, int mode);
    // Adds one template crop (8-bit grey, the region's size). The crop is copied: callers pass
    // views into buffers that the next template or frame overwrites.
    void addSample(const cv::Mat &crop);
    // Builds the model from the samples added since init. Without a usable sample the model
    // stays not ready, so its region finds nothing.
    void learn(int sensitivity, int amplify, int cannyLow, int cannyHigh);
    void reset();
    bool isReady() const { return ready; }
    // Writes 255 into diff where an evaluated pixel of image (8-bit grey, the region's size)
    // lies outside the band, 0 elsewhere. Does nothing when not ready or image does not fit.
    void compare(const cv::Mat &image, cv::Mat &diff);

    bool ready = false;
    cv::Mat sum;
    cv::Mat mean;
    cv::Mat spread;
    cv::Mat upper;
    cv::Mat lower;
    cv::Mat regionMask;
    std::vector<cv::Mat> samples;
    // One difference mask per kept sample; compare writes only the winner's.
    std::vector<cv::Mat> sampleDiffs;
    // Per kept sample the grey values that count as good at each pixel, the region mask folded
    // in (outside it every value is good).
    std::vector<cv::Mat> sampleLow;
    std::vector<cv::Mat> sampleHigh;
    double cannyHigh = 0;
    double cannyLow = 0;
    // 0 band model, 2 best-sample model.
    int mode = 0;
    int tolerance = 0;

    static constexpr int BandMode = 0;
    static constexpr int BestSampleMode = 2;
    static constexpr int BestSampleAmplify = 4;

private:
    void learnBand(int sensitivity, int amplify);
    void compareBand(const cv::Mat &image, cv::Mat &diff) const;
    void compareBestSample(const cv::Mat &image, cv::Mat &diff);
    void learnBestSample();
    // The sample the last frame was closest to: tried first, so that the others can stop early.
    size_t lastBest = 0;
};

#endif
