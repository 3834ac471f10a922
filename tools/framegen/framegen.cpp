// Writes the stored frames of the two simulated cameras into the runtime folder given as the
// only argument: for simulated camera k (0 and 1) "cammer<k*10+15>/template0.bmp" shows the
// empty mould (a good cycle) and "template1.bmp" the same mould with a part left in it (a bad
// cycle), so each manual trigger in the station switches between the two.

#include "tools/framegen/MouldSynth.h"

#include <opencv2/imgcodecs.hpp>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

bool writeFrame(const std::filesystem::path &path, const cv::Mat &frame)
{
    try {
        if (frame.empty() || !cv::imwrite(path.string(), frame)) {
            std::fprintf(stderr, "framegen: cannot write %s\n", path.string().c_str());
            return false;
        }
    } catch (const cv::Exception &error) {
        std::fprintf(stderr, "framegen: cannot write %s: %s\n", path.string().c_str(), error.what());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: framegen <runtime folder>\n");
        return 2;
    }
    const std::filesystem::path root(argv[1]);
    for (int camera = 0; camera < 2; ++camera) {
        const std::filesystem::path folder = root / ("cammer" + std::to_string(camera * 10 + 15));
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) {
            std::fprintf(stderr, "framegen: cannot create %s: %s\n", folder.string().c_str(),
                         error.message().c_str());
            return 1;
        }
        // Each camera looks at a mould of its own; the first one finds a bright part, the
        // second a dark one.
        const synth::MouldLayout layout = synth::makeMouldLayout(std::uint32_t(camera + 1));
        synth::Conditions conditions;
        conditions.noiseSeed = std::uint32_t(10 + camera);
        const synth::LeftPart part = synth::partInCavity(layout, camera == 0 ? 1 : 0, 0.55f,
                                                         camera == 0 ? 220 : 45);
        if (!writeFrame(folder / "template0.bmp", synth::renderMould(layout, {}, conditions))
            || !writeFrame(folder / "template1.bmp", synth::renderMould(layout, {part}, conditions)))
            return 1;
    }
    return 0;
}
