#ifndef INSPECTION_SIMILARITYMATCHER_H
#define INSPECTION_SIMILARITYMATCHER_H

#include <opencv2/core.hpp>

#include <vector>

// Similarity of a region to its templates: the highest Pearson correlation between the
// frame's valid pixels and one template's, scaled to 0..100 (a negative correlation counts
// as 0). The sums are exact integers, so large bright regions score as precisely as small
// dark ones. GUI thread only.
class SimilarityMatcher
{
public:
    // Forgets the trained templates (crops added but not trained stay).
    void clear();
    // The region's size and valid pixels (8-bit, that size, non-zero = used).
    void setImage(int width, int height, const cv::Mat &mask);
    // Adds a template crop (8-bit grey, the region's size); the crop is copied.
    void addTemplate(const cv::Mat &crop);
    // Turns the added crops into template vectors and drops the crops.
    void train();
    // 0 to 100. diff (the region's size) is cleared: the tool reports no defect pixels.
    float score(const cv::Mat &image, cv::Mat &diff) const;

    cv::Mat regionMask;
    std::vector<cv::Mat> templates;
    // Per trained template its grey values at the valid pixels, in row-major order.
    std::vector<std::vector<uchar>> templateVectors;

private:
    std::vector<uchar> validPixels(const cv::Mat &image) const;
};

#endif
