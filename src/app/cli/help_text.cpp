#include "app/cli/help_text.h"

#include <cstdio>
#include <string>

#include "app/cli/long_options.h"
#include "platform/console.h"

namespace {

constexpr const char* kFirstPage =
    "Usage: raw2tvx inputfile.raw output.mov|avi [switches]\n"
    "       -422 - Encode to YUV 4:2:2 (default RAW.)\n"
    "       -444 - Encode to RGB 4:4:4 (default RAW.)\n"
    "       -blX  - override black level metadata (default auto, range 0 - 65535)\n"
    "       -bc###  - Use ###.RAW for black calibration (lens cap on.)\n"
    "       -boX - Offset from black calibration (default 8.)\n"
    "       -c   - use Cineon curve (black 95, white 685)\n"
    "       -cbX - use Cineon curve with 'X' black point (default 95.)\n"
    "       -cwX - use Cineon curve with 'X' white point (default 685.)\n"
    "       -dX  - use debayer type 1-softest thru 4-sharpest (default auto)\n"
    "       -fX  - the framerate override for AVI|MOV media.\n"
    "       -gX  - use gamma curve (e.g. -g2.2 for video gamma)\n"
    "       -iX  - in point, start processing on frame X (default 0.)\n"
    "       -lX  - use log curve of power X (Zorvex Veltone.)\n"
    "       -oX  - out point, e.g. -o10 would precess 0 thru 9 (default infinite.)\n"
    "       -qX  - the encoding quality for AVI|MOV (default 4, range 1-5.)\n"
    "       -sX  - skip every 'x' frames (default 0).\n"
    "       -wlX  - override white level metadata (default auto, range 0 - 65535)\n"
    "       -(x1,y1,x2,y2)  - window source Top Left (x,y) to Bottom Right (x2,y2)\n";
constexpr const char* kPrompt = "---- more ----";

// As many backspaces as the prompt has characters, so it disappears.
constexpr const char* kErasePrompt = "\b\b\b\b\b\b\b\b\b\b\b\b\b\b";

constexpr const char* kSecondPage =
    "  Adding Metadata (Advanced):\n"
    "       +FOURCC=metadata, arrays are floats, use  for strings,\n"
    "           single values are integers or floats, 0x?? for hexdecial\n"
    "       +TIMC=\"01:12:32:15\" - set the timecode\n"
    "       +TIMB=24 - set the timecode base to 24 fps\n"
    "       +EXPS=1.235 - set the exposure to 1.235 (default 1.0)\n"
    "       +HPNT=0.75 - set highlight saturation point (default 0.5)\n"
    "       +COLM=(12 floats) - 4 by 3 color matrix, comma separated\n"
    "       +RGBO=0.000,0.002,-0.004 (Lift R,G,B 3 floats)\n"
    "       +GAMT=1.002,1.220,0.934  (Gamma R,G,B 3 floats)\n"
    "       +RGBG=0.951,1.000,0.994  (Gain R,G,B 3 floats)\n"
    "       +LOOK=\"path/filename.look\" (Full path to an Iridas .look file)\n"
    "       :\"Director=Q. Ombry\" use ':' for freeform metadata\n"
    "\n"
    "  examples: raw2tvx M00000004.raw NewRAW5.avi\n"
    "            raw2tvx new422.AVI M29-0005.RAW -d1 -q3 -422\n"
    "            raw2tvx new444.AVI M28-0030.RAW -l400 -d3 -q5 -444\n"
    "            raw2tvx *.RAW *.AVI -bcBlackCal.RAW +TIMC=\"01:00:20:14\"\n"
    "            raw2tvx *.RAW *.AVI -bc*.RAW +HPNT=0.7\n"
    "\n"
    "  RAW2TVX version: 1.13 Jun 29, 2013, \n";

}  // namespace

void printHelpText() {
    std::fputs(kFirstPage, stdout);
    std::fputs(kPrompt, stdout);
    std::fflush(stdout);
    // Scripts and test runs have no one to press a key, so only a terminal waits.
    if (platform::standardInputIsTerminal()) platform::readCharacter();
    std::fputs(kErasePrompt, stdout);
    std::fputs(kSecondPage, stdout);
    std::fflush(stdout);
}

void printFullHelpText() {
    std::fputs(kFirstPage, stdout);
    std::fputs(kSecondPage, stdout);
    std::fputs("\n  Long options (beside the switches):\n", stdout);
    for (const LongOptionSpec& option : longOptionTable()) {
        std::string name = std::string("--") + option.name;
        if (option.valueName != nullptr) name += std::string("=") + option.valueName;
        std::printf("       %-18s - %s\n", name.c_str(), option.help);
    }
    std::fputs("       --help             - this text\n", stdout);
    std::fputs("       --version          - the program's version\n", stdout);
    std::fflush(stdout);
}
