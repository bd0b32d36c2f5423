// tarn-host: loads a module library the way the host does and plays the host's side.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/commands/commands.h"

namespace {

void printUsage(std::FILE* to) {
    std::fputs(
        "usage: tarn-host COMMAND MODULE.dll [OPTIONS]\n"
        "\n"
        "commands:\n"
        "  info MODULE.dll\n"
        "      module properties and the pin table\n"
        "  render MODULE.dll --out FILE [--frames N | --seconds S] [--rate HZ] [--block N]\n"
        "                    [--set PIN=VALUE]... [--shape TEXT] [--input PIN=FILE.f32]... [--trace] [--watch]\n"
        "                    [--fp-env NAME]\n"
        "      renders the \"Output\" pin to a 32-bit float WAV (.wav) or raw float32 (.f32); --watch\n"
        "      counts the module's heap, lock and output calls, on the audio path and apart; --fp-env\n"
        "      makes every call into the module in that floating-point environment (--fp-env list)\n"
        "  panel MODULE.dll [--shape TEXT] [--size WxH] [EVENTS...] [--png FILE] [--out FILE ...] [--fp-env NAME]\n"
        "      opens the panel of one instance, runs the events in order, prints the final\n"
        "      \"shape: TEXT\", writes the painted panel and, with --out, the edited sound\n"
        "      EVENTS: --press X,Y  --move X,Y  --release  --menu PATH  --menu-dismiss\n"
        "  edit MODULE.dll [--shape TEXT]\n"
        "      a window that hosts the panel for a person\n"
        "  validate MODULE.dll [--describe FILE] [--strictness 1..10] [--seed N] [--only REGEX]\n"
        "      runs the module through a battery of host conditions; PASS/FAIL/SKIP per check;\n"
        "      FILE, the module's description.txt, adds the checks of its gated inputs, the grammar\n"
        "      of its text and which choices share the C library's generator\n",
        to);
}

}  // namespace

int main(int argc, char** argv) {
    // Plain "\n" line ends: scripts on the other side of Wine read this output.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printUsage(args.empty() ? stderr : stdout);
        return args.empty() ? tarnhost::kExitUsage : tarnhost::kExitOk;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    if (tarnhost::isCommand(command)) return tarnhost::runCommand(command, args);
    std::fprintf(stderr, "tarn-host: unknown command \"%s\"\n\n", command.c_str());
    printUsage(stderr);
    return tarnhost::kExitUsage;
}
