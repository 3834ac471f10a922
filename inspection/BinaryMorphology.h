#ifndef INSPECTION_BINARYMORPHOLOGY_H
#define INSPECTION_BINARYMORPHOLOGY_H

#include <opencv2/core.hpp>

// Opening and closing of an 8-bit mask of 0 and 255 with the elliptic size x size kernel of
// cv::getStructuringElement(MORPH_ELLIPSE), centred anchor, one iteration and OpenCV's default
// constant border (outside counts as set for the erosion, as clear for the dilation): the same
// pixels as cv::morphologyEx with those arguments, in place. From 7 x 7 up the work follows the
// runs of set pixels row by row instead of every kernel pixel at every image pixel, so a large
// kernel costs about what a small one does; smaller kernels are OpenCV's, whose vector code
// costs a few operations a pixel however many are set. Any non-zero pixel counts as set; the
// result is 0 or 255.
void openBinary(cv::Mat &mask, int size);
void closeBinary(cv::Mat &mask, int size);

#endif
