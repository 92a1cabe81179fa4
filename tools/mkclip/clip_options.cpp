#include "clip_options.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool parseInteger(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

bool parseMatrix(const std::string& text, std::array<std::int32_t, 18>& matrix) {
    std::size_t start = 0;
    for (std::size_t entry = 0; entry < 9; ++entry) {
        const std::size_t comma = text.find(',', start);
        if ((comma == std::string::npos) != (entry == 8)) return false;
        const std::string rational =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::size_t slash = rational.find('/');
        if (slash == std::string::npos) return false;
        long long numerator = 0, denominator = 0;
        if (!parseInteger(rational.substr(0, slash), INT32_MIN, INT32_MAX, numerator) ||
            !parseInteger(rational.substr(slash + 1), INT32_MIN, INT32_MAX, denominator))
            return false;
        matrix[2 * entry] = static_cast<std::int32_t>(numerator);
        matrix[2 * entry + 1] = static_cast<std::int32_t>(denominator);
        start = comma + 1;
    }
    return true;
}

bool parseFrameList(const std::string& text, std::vector<std::pair<std::uint64_t, std::uint64_t>>& ranges) {
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::size_t dash = item.find('-');
        long long first = 0, last = 0;
        if (!parseInteger(item.substr(0, dash), 0, INT64_MAX, first)) return false;
        last = first;
        if (dash != std::string::npos && !parseInteger(item.substr(dash + 1), first, INT64_MAX, last))
            return false;
        ranges.emplace_back(static_cast<std::uint64_t>(first), static_cast<std::uint64_t>(last));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return !ranges.empty();
}

bool parseScene(const std::string& text, Scene& scene) {
    if (text == "chart")
        scene = Scene::Chart;
    else if (text == "flat")
        scene = Scene::Flat;
    else if (text == "lenscap")
        scene = Scene::Lenscap;
    else if (text == "ramp")
        scene = Scene::Ramp;
    else
        return false;
    return true;
}

}  // namespace

std::array<std::int32_t, 18> defaultCameraMatrix() {
    return {6722,  10000, -635,  10000, -963,  10000, -4287, 10000, 12460,
            10000, 2028,  10000, -908,  10000, 2162,  10000, 5668,  10000};
}

bool frameHasContent(const ClipOptions& options, std::uint64_t frame) {
    if (options.contentFrames.empty()) return true;
    for (const auto& [first, last] : options.contentFrames)
        if (frame >= first && frame <= last) return true;
    return false;
}

bool parseClipOptions(int argc, char** argv, ClipOptions& options, std::string& error) {
    options.matrix = defaultCameraMatrix();
    for (int index = 1; index < argc; ++index) {
        const std::string name = argv[index];
        if (name == "--help" || name == "-h") {
            options.help = true;
            return true;
        }
        if (name.rfind("--", 0) != 0) {
            if (!options.outputPath.empty()) {
                error = "more than one output path: " + name;
                return false;
            }
            options.outputPath = name;
            continue;
        }
        if (index + 1 >= argc) {
            error = name + " needs a value";
            return false;
        }
        const std::string value = argv[++index];
        long long number = 0;
        bool ok = true;
        if (name == "--width" || name == "--height") {
            ok = parseInteger(value, 0, 65535, number);
            (name == "--width" ? options.width : options.height) = static_cast<std::uint32_t>(number);
        } else if (name == "--frames") {
            ok = parseInteger(value, 0, INT64_MAX, number);
            options.frames = static_cast<std::uint64_t>(number);
        } else if (name == "--rate") {
            ok = parseInteger(value, 0, UINT32_MAX, number);
            options.rateMilli = static_cast<std::uint32_t>(number);
        } else if (name == "--black" || name == "--white" || name == "--version") {
            ok = parseInteger(value, INT32_MIN, INT32_MAX, number);
            (name == "--black"   ? options.blackLevel
             : name == "--white" ? options.whiteLevel
                                 : options.version) = static_cast<std::int32_t>(number);
        } else if (name == "--packing") {
            ok = parseInteger(value, 12, 16, number) && (number == 12 || number == 14 || number == 16);
            options.packing = static_cast<int>(number);
        } else if (name == "--matrix") {
            ok = parseMatrix(value, options.matrix);
        } else if (name == "--scene") {
            ok = parseScene(value, options.scene);
        } else if (name == "--level") {
            ok = parseInteger(value, 0, 16383, number);
            options.level = static_cast<int>(number);
        } else if (name == "--noise") {
            ok = parseInteger(value, 0, 4096, number);
            options.noise = static_cast<int>(number);
        } else if (name == "--seed") {
            ok = parseInteger(value, 0, INT64_MAX, number);
            options.seed = static_cast<std::uint64_t>(number);
        } else if (name == "--frame-bytes") {
            ok = parseInteger(value, 0, UINT32_MAX, number);
            options.frameBytes = number;
        } else if (name == "--trailer-bytes") {
            ok = parseInteger(value, 0, 192, number);
            options.trailerBytes = static_cast<int>(number);
        } else if (name == "--magic") {
            ok = value.size() == 4;
            options.magic = value;
        } else if (name == "--frame-count") {
            ok = parseInteger(value, 0, UINT32_MAX, number);
            options.frameCount = number;
        } else if (name == "--split") {
            ok = parseInteger(value, 1, INT64_MAX, number);
            options.splitBytes = static_cast<std::uint64_t>(number);
        } else if (name == "--content-frames") {
            ok = parseFrameList(value, options.contentFrames);
        } else {
            error = "unknown option " + name;
            return false;
        }
        if (!ok) {
            error = "bad value for " + name + ": " + value;
            return false;
        }
    }
    if (options.outputPath.empty()) {
        error = "no output path (try --help)";
        return false;
    }
    return true;
}

void printClipHelp() {
    std::printf(
        "mkclip: writes a synthetic RAW clip\n"
        "\n"
        "usage: mkclip [options] OUTPUT.RAW\n"
        "\n"
        "The frames form one byte stream that starts in OUTPUT.RAW and goes on in\n"
        "OUTPUT.R00, OUTPUT.R01, ... (.r00 when the extension is written .raw), every\n"
        "file but the last holding --split bytes; the 192-byte trailer ends the last file.\n"
        "Zero regions are left as holes, so huge clips cost little disk.\n"
        "\n"
        "  --width N          samples per row (default 1920)\n"
        "  --height N         rows (default 1080)\n"
        "  --frames N         frames in the stream (default 10)\n"
        "  --rate N           frame rate in thousandths of a frame per second (default 24000)\n"
        "  --black N          black level in 14-bit units, trailer offset 60 (default 512)\n"
        "  --white N          white level in 14-bit units, trailer offset 64 (default 15000)\n"
        "  --version N        trailer version (default 1)\n"
        "  --packing P        14: eight 14-bit samples in 14 bytes (seven little-endian words,\n"
        "                     most significant bit first); 12: four 10-bit samples (the top 10\n"
        "                     bits of each 14-bit sample) in 5 bytes, rows stored bottom row\n"
        "                     first; 16: plain little-endian 16-bit samples, each the 14-bit\n"
        "                     sample times 4 (frame bytes = width x height x 2). Default 14\n"
        "  --matrix n/d,...   nine rationals of the camera matrix, row by row\n"
        "                     (default 6722/10000,-635/10000,-963/10000,-4287/10000,\n"
        "                     12460/10000,2028/10000,-908/10000,2162/10000,5668/10000)\n"
        "  --scene S          chart: colour patches with sharp edges, gradients, fine lines,\n"
        "                            a zone plate, a grey wedge and a bar moving per frame;\n"
        "                     flat: every sample is --level;\n"
        "                     lenscap: noise within 12 of the black level (seeded by --seed);\n"
        "                     ramp: sample(x, y, frame) = (7x + 131y + 1031 frame) mod 16384.\n"
        "                     Default chart. Red is at the top-left (R G / G B)\n"
        "  --level N          the flat scene's sample (default 4096)\n"
        "  --noise N          sensor noise on any scene: about N codes either way, seeded\n"
        "                     by --seed and the frame (default 0: none)\n"
        "  --seed N           noise seed (default 1)\n"
        "  --content-frames L frames with content, e.g. 0,5-7; all others are zero\n"
        "                     samples written as holes (default: every frame)\n"
        "  --split BYTES      bytes of every file but the last (default 4294967295)\n"
        "\n"
        "For crafting damaged clips:\n"
        "  --frame-bytes N    frame size in the stream and trailer; frames are cut or\n"
        "                     padded with zeros to it\n"
        "  --frame-count N    frame count written in the trailer (default --frames)\n"
        "  --trailer-bytes N  write only the first N bytes of the trailer (0..192)\n"
        "  --magic TEXT       four characters in place of RAWM\n");
}
