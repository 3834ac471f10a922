#include "inspection/BinaryMorphology.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

// A run of set pixels [begin, end] in one row; an end of the row outside the image is open.
struct Run
{
    int begin;
    int end;
};

using Rows = std::vector<std::vector<Run>>;

// One row of the kernel: the columns it covers relative to the anchor, and its row offset.
struct KernelRow
{
    int dy;
    int left;
    int right;
};

// The kernel as rows of one run each, widest first so that an erosion fails early. False when
// a row is not one run or is clear, or the anchor is not in the kernel (then OpenCV does the
// work).
bool kernelRows(int size, std::vector<KernelRow> &rows)
{
    const cv::Mat kernel = cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(size, size));
    const cv::Point anchor(kernel.cols / 2, kernel.rows / 2);
    if (!kernel.at<uchar>(anchor))
        return false;
    rows.clear();
    for (int i = 0; i < kernel.rows; ++i) {
        const uchar *k = kernel.ptr<uchar>(i);
        int first = -1;
        int last = -1;
        for (int j = 0; j < kernel.cols; ++j) {
            if (!k[j])
                continue;
            if (first < 0)
                first = j;
            else if (last != j - 1)
                return false;
            last = j;
        }
        if (first < 0)
            return false;
        rows.push_back(KernelRow{i - anchor.y, first - anchor.x, last - anchor.x});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const KernelRow &a, const KernelRow &b) { return a.right - a.left > b.right - b.left; });
    return true;
}

// The runs of every row. Masks are mostly clear: the scan skips eight clear bytes at a time.
void runsOf(const cv::Mat &mask, Rows &rows)
{
    rows.resize(size_t(mask.rows));
    const int width = mask.cols;
    for (int y = 0; y < mask.rows; ++y) {
        std::vector<Run> &runs = rows[size_t(y)];
        runs.clear();
        const uchar *p = mask.ptr<uchar>(y);
        int x = 0;
        while (x < width) {
            while (x + 8 <= width) {
                std::uint64_t word;
                std::memcpy(&word, p + x, sizeof word);
                if (word)
                    break;
                x += 8;
            }
            while (x < width && !p[x])
                ++x;
            if (x >= width)
                break;
            const int begin = x;
            while (x < width && p[x])
                ++x;
            runs.push_back(Run{begin, x - 1});
        }
    }
}

// out = a intersected with b (both sorted, disjoint).
void intersect(const std::vector<Run> &a, const std::vector<Run> &b, std::vector<Run> &out)
{
    out.clear();
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const int begin = std::max(a[i].begin, b[j].begin);
        const int end = std::min(a[i].end, b[j].end);
        if (begin <= end)
            out.push_back(Run{begin, end});
        if (a[i].end < b[j].end)
            ++i;
        else
            ++j;
    }
}

// Prefix counts of the rows that hold a set pixel: filled[b] - filled[a] of rows a to b - 1.
void filledRows(const Rows &rows, std::vector<int> &filled)
{
    filled.resize(rows.size() + 1);
    filled[0] = 0;
    for (size_t y = 0; y < rows.size(); ++y)
        filled[y + 1] = filled[y] + (rows[y].empty() ? 0 : 1);
}

// The rows the kernel reaches above and below its anchor. It has a row for every offset between
// them (kernelRows takes no kernel with a clear row), which the clear-row test of erode relies on.
void kernelReach(const std::vector<KernelRow> &kernel, int &above, int &below)
{
    above = 0;
    below = 0;
    for (const KernelRow &k : kernel) {
        above = std::min(above, k.dy);
        below = std::max(below, k.dy);
    }
}

// Erosion: a pixel stays where every kernel row finds only set pixels (or the outside) beneath.
// A clear row in the image rows the kernel reaches clears the whole row at once, so a mostly
// clear mask costs a test per row whatever the kernel's height.
void erode(const Rows &in, int width, const std::vector<KernelRow> &kernel, Rows &out)
{
    const int height = static_cast<int>(in.size());
    out.resize(size_t(height));
    thread_local std::vector<Run> allowed;
    thread_local std::vector<Run> next;
    thread_local std::vector<int> filled;
    filledRows(in, filled);
    int above = 0;
    int below = 0;
    kernelReach(kernel, above, below);
    for (int y = 0; y < height; ++y) {
        std::vector<Run> &kept = out[size_t(y)];
        const int first = std::max(0, y + above);
        const int last = std::min(height - 1, y + below);
        if (filled[size_t(last) + 1] - filled[size_t(first)] < last - first + 1) {
            kept.clear();
            continue;
        }
        kept.assign(1, Run{0, width - 1});
        for (const KernelRow &k : kernel) {
            const int row = y + k.dy;
            if (row < 0 || row >= height)
                continue;   // outside the image: set
            // Centres x whose span [x + left, x + right] lies within one run of the row.
            allowed.clear();
            for (const Run &r : in[size_t(row)]) {
                const int begin = r.begin == 0 ? INT_MIN / 2 : r.begin;
                const int end = r.end == width - 1 ? INT_MAX / 2 : r.end;
                if (end - begin >= k.right - k.left)
                    allowed.push_back(Run{begin - k.left, end - k.right});
            }
            intersect(kept, allowed, next);
            kept.swap(next);
            if (kept.empty())
                break;
        }
    }
}

// Dilation: a pixel is set where some kernel row finds a set pixel beneath (the outside is clear).
// Each set row spreads its runs to the rows the kernel reaches from it, so clear rows cost
// nothing whatever the kernel's height; each row's spans are then sorted and merged.
void dilate(const Rows &in, int width, const std::vector<KernelRow> &kernel, Rows &out)
{
    const int height = static_cast<int>(in.size());
    out.resize(size_t(height));
    for (std::vector<Run> &row : out)
        row.clear();
    for (int source = 0; source < height; ++source) {
        const std::vector<Run> &runs = in[size_t(source)];
        if (runs.empty())
            continue;
        for (const KernelRow &k : kernel) {
            const int y = source - k.dy;
            if (y < 0 || y >= height)
                continue;
            std::vector<Run> &spans = out[size_t(y)];
            for (const Run &r : runs) {
                const int begin = std::max(0, r.begin - k.right);
                const int end = std::min(width - 1, r.end - k.left);
                if (begin <= end)
                    spans.push_back(Run{begin, end});
            }
        }
    }
    for (std::vector<Run> &spans : out) {
        if (spans.size() < 2)
            continue;
        std::sort(spans.begin(), spans.end(), [](const Run &a, const Run &b) { return a.begin < b.begin; });
        size_t merged = 0;
        for (size_t i = 1; i < spans.size(); ++i) {
            if (spans[i].begin <= spans[merged].end + 1)
                spans[merged].end = std::max(spans[merged].end, spans[i].end);
            else
                spans[++merged] = spans[i];
        }
        spans.resize(merged + 1);
    }
}

void paint(const Rows &rows, cv::Mat &mask)
{
    for (int y = 0; y < mask.rows; ++y) {
        uchar *p = mask.ptr<uchar>(y);
        std::memset(p, 0, size_t(mask.cols));
        for (const Run &r : rows[size_t(y)])
            std::memset(p + r.begin, 255, size_t(r.end - r.begin + 1));
    }
}

constexpr int SmallKernel = 5;

void morphology(cv::Mat &mask, int size, bool opening)
{
    CV_Assert(mask.type() == CV_8UC1);
    if (mask.empty())
        return;
    thread_local int kernelSize = -1;
    thread_local bool usable = false;
    thread_local std::vector<KernelRow> kernel;
    thread_local cv::Mat element;
    if (size != kernelSize) {
        usable = kernelRows(size, kernel);
        element = cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(size, size));
        kernelSize = size;
    }
    // A small kernel costs OpenCV's vector code a few operations a pixel, less than following
    // the runs of a mask that is marked all over (a change of light).
    if (!usable || size <= SmallKernel) {
        cv::compare(mask, 0, mask, cv::CMP_NE);
        // A view into a larger image is worked alone: its neighbours are not its border.
        cv::morphologyEx(mask, mask, opening ? cv::MORPH_OPEN : cv::MORPH_CLOSE, element, cv::Point(-1, -1), 1,
                         cv::BORDER_CONSTANT | cv::BORDER_ISOLATED, cv::morphologyDefaultBorderValue());
        return;
    }
    // Reused from call to call: a stage calls this for every region of every frame.
    thread_local Rows in;
    thread_local Rows middle;
    thread_local Rows out;
    runsOf(mask, in);
    if (opening) {
        erode(in, mask.cols, kernel, middle);
        dilate(middle, mask.cols, kernel, out);
    } else {
        dilate(in, mask.cols, kernel, middle);
        erode(middle, mask.cols, kernel, out);
    }
    paint(out, mask);
}

} // namespace

void openBinary(cv::Mat &mask, int size)
{
    morphology(mask, size, true);
}

void closeBinary(cv::Mat &mask, int size)
{
    morphology(mask, size, false);
}
