// The command line of poromina-tool: usage texts and dispatch to pack, unpack and check.
#include <cstring>
#include <string>

#include "tools/tool/tool.h"

namespace {

const char* const kUsage =
    "usage: poromina-tool COMMAND ARGS...\n"
    "Authoring commands for a poromina data folder.\n"
    "\n"
    "  pack SRC DST     scramble a folder of plain files into a data folder\n"
    "  unpack SRC DST   turn a data folder back into plain files\n"
    "  check DIR        check that a game folder holds a playable story\n"
    "\n"
    "Run \"poromina-tool COMMAND --help\" for a command's details.\n";

const char* const kPackHelp =
    "usage: poromina-tool pack SRC DST\n"
    "Writes into folder DST (made when missing) the stored form of every file in folder SRC and\n"
    "its subfolders, under the same names. Files are scrambled whole with the data key; a RIFF\n"
    "WAVE file keeps its header and chunks in the clear and only the payload of its \"data\"\n"
    "chunk is scrambled (key byte 0 at the first sample byte). DST must not lie inside SRC.\n"
    "Exit status: 0 done, 1 some file failed, 2 bad arguments.\n";

const char* const kUnpackHelp =
    "usage: poromina-tool unpack SRC DST\n"
    "The inverse of pack: writes into folder DST the plain form of every file of the data\n"
    "folder SRC and its subfolders. Unpacking what pack wrote gives back identical bytes.\n"
    "Exit status: 0 done, 1 some file failed, 2 bad arguments.\n";

const char* const kCheckHelp =
    "usage: poromina-tool check DIR\n"
    "DIR is a game folder holding a \"data\" folder, or the data folder itself (a folder that\n"
    "holds GAME42297263). Loads the script with the game's own parser and reports, one line\n"
    "each with its script line: the line where loading stops and why; every picture (img_nm=)\n"
    "that is missing, empty or over 2,097,152 bytes; every sound (snd_nm=, opening_snd_nm=,\n"
    "ending_snd_nm=) that is missing, empty or not a RIFF WAVE with a \"data\" chunk; a missing\n"
    "pointer image GAME39651497; rectangles outside the 800x600 canvas; areas with rectangles\n"
    "but no next_seq=; links to scenes the script does not define; scenes out of order; scenes\n"
    "no link reaches from scene 0. Lines marked \"warning:\" do not stop the story.\n"
    "Exit status: 0 playable, 1 not playable, 2 bad arguments or not a game folder.\n";

bool is_help(const char* arg) { return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0; }

int bad_usage(FILE* err, const std::string& message, const char* command) {
    std::fprintf(err, "poromina-tool: %s (run \"poromina-tool %s--help\")\n", message.c_str(),
                 command ? (std::string(command) + " ").c_str() : "");
    return kToolBadUsage;
}

}  // namespace

int run_tool(int argc, char** argv, FILE* out, FILE* err) {
    if (argc < 2) {
        std::fputs(kUsage, err);
        return kToolBadUsage;
    }
    const char* command = argv[1];
    if (is_help(command)) {
        std::fputs(kUsage, out);
        return kToolOk;
    }
    const char* help = std::strcmp(command, "pack") == 0     ? kPackHelp
                       : std::strcmp(command, "unpack") == 0 ? kUnpackHelp
                       : std::strcmp(command, "check") == 0  ? kCheckHelp
                                                             : nullptr;
    if (!help) return bad_usage(err, std::string("unknown command \"") + command + "\"", nullptr);
    for (int i = 2; i < argc; ++i) {
        if (is_help(argv[i])) {
            std::fputs(help, out);
            return kToolOk;
        }
    }
    int wanted = std::strcmp(command, "check") == 0 ? 1 : 2;
    if (argc - 2 != wanted) {
        return bad_usage(err, std::string(command) + " takes " + (wanted == 1 ? "one folder" : "two folders") +
                                  ", " + std::to_string(argc - 2) + " given",
                         command);
    }
    for (int i = 2; i < argc; ++i) {
        if (argv[i][0] == '\0') return bad_usage(err, "an empty folder name", command);
    }
    if (wanted == 1) return check_folder(argv[2], out, err);
    return pack_folder(argv[2], argv[3], std::strcmp(command, "pack") == 0, out, err);
}
