// The command line of poromina-tool: usage texts and dispatch to pack, unpack, check and icon.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/image/image_write.h"
#include "resources/resources.h"
#include "tools/tool/tool.h"

namespace {

const char* const kUsage =
    "usage: poromina-tool COMMAND ARGS...\n"
    "Authoring commands for a poromina data folder.\n"
    "\n"
    "  pack [--utf8] [--clean] SRC DST\n"
    "                            scramble a folder of plain files into a data folder\n"
    "  unpack [--utf8] SRC DST   turn a data folder back into plain files\n"
    "  check [--format=json] DIR check that a game folder holds a playable story\n"
    "  new FOLDER                make a small working story to start from\n"
    "  shots STORY OUT           write a picture of every entry and a contact sheet\n"
    "  icon SIZE FILE            write the game's icon as a SIZE x SIZE PNG picture\n"
    "\n"
    "Run \"poromina-tool COMMAND --help\" for a command's details.\n";

const char* const kPackHelp =
    "usage: poromina-tool pack [--utf8] [--clean] SRC DST\n"
    "Writes into folder DST (made when missing) the stored form of every file in folder SRC and\n"
    "its subfolders, under the same names. Files are scrambled whole with the data key; a RIFF\n"
    "WAVE file keeps its header and chunks in the clear and only the payload of its \"data\"\n"
    "chunk is scrambled (key byte 0 at the first sample byte). DST must not lie inside SRC.\n"
    "With --utf8 the script (every file named GAME42297263) is read as UTF-8 text with LF line\n"
    "ends and stored as the Shift-JIS text with CR LF line ends that the game reads; a character\n"
    "with no Shift-JIS form is refused with its line and column, and that file is not written; one\n"
    "that Shift-JIS stores as another's (an em dash as the Shift-JIS dash) is noted with its line.\n"
    "Files of DST that no file of SRC stands for any more are named; --clean removes them.\n"
    "Exit status: 0 done, 1 some file failed, 2 bad arguments.\n";

const char* const kUnpackHelp =
    "usage: poromina-tool unpack [--utf8] SRC DST\n"
    "The inverse of pack: writes into folder DST the plain form of every file of the data\n"
    "folder SRC and its subfolders. Unpacking what pack wrote gives back identical bytes.\n"
    "With --utf8 the script (GAME42297263) is written as UTF-8 text with LF line ends, ready\n"
    "for a Linux editor; \"pack --utf8\" stores it again.\n"
    "Exit status: 0 done, 1 some file failed, 2 bad arguments.\n";

const char* const kCheckHelp =
    "usage: poromina-tool check [--format=json] DIR\n"
    "DIR is a game folder holding a \"data\" folder, or the data folder itself (a folder that\n"
    "holds GAME42297263). Loads the script with the game's own parser, reads every picture, sound\n"
    "and the pointer with the game's own readers, and reports each thing the game would get\n"
    "wrong as FILE:LINE: error: ... (the story cannot play as written) or FILE:LINE: warning: ...\n"
    "(it plays, but probably not as meant). Errors: where loading stops and why; missing, empty,\n"
    "oversized or unreadable pictures and sounds (named: a CMYK JPEG, an MP3 or Ogg file, a 24-bit\n"
    "WAVE...); a pointer that does not decode; rectangles outside the canvas or with left > right;\n"
    "areas without next_seq=; links to entries the script does not define; seq= numbers that\n"
    "differ from the entry's position (entries count by their order); a script stored as UTF-8 or\n"
    "with LF line ends. Warnings: entries no link reaches; unknown transition names; area 0 of\n"
    "entry 103 that is no balloon; pictures not 800x600; a pointer not 24x24 or a JPEG; balloon\n"
    "pages larger than the balloon; keys after a leading space; sounds that cannot fade.\n"
    "Then a summary: entries, links, balloons, the staff roll, transitions, each picture and\n"
    "sound with its format, the counts, and \"playable\" or \"not playable\". With\n"
    "--format=json all of it is one JSON object.\n"
    "Exit status: 0 playable (no error), 1 not playable, 2 bad arguments or not a game folder.\n";

const char* const kNewHelp =
    "usage: poromina-tool new FOLDER\n"
    "Makes FOLDER (new, or empty) a small story that plays: FOLDER/plain holds what an author\n"
    "edits (the script GAME42297263 as UTF-8 with three scenes, links, a balloon and the staff\n"
    "roll's balloon in entry 103; four pictures; the pointer GAME39651497; a sound), FOLDER/data\n"
    "the same packed for the game. Start the game in FOLDER. After a change, in FOLDER:\n"
    "\"poromina-tool pack --utf8 --clean plain data\" and \"poromina-tool check .\".\n"
    "Exit status: 0 done, 1 a file could not be written, 2 bad arguments or FOLDER not empty.\n";

const char* const kShotsHelp =
    "usage: poromina-tool shots STORY OUT\n"
    "STORY is a game folder or its data folder. Runs the game offscreen through the replay\n"
    "harness, shows every entry of the script in turn (as start-up shows entry 0) and writes\n"
    "OUT/entry-NNN.png for each (NNN = the entry's position, from 000) and OUT/contact-sheet.png\n"
    "with them all, four to a row. OUT is made when missing.\n"
    "Exit status: 0 done, 1 the script does not load or a picture could not be written, 2 bad\n"
    "arguments.\n";

const char* const kIconHelp =
    "usage: poromina-tool icon SIZE FILE\n"
    "Writes the game's own icon, drawn at SIZE x SIZE pixels (8 to 1024), to FILE as a PNG picture\n"
    "with transparency: the pictures of the installed icon theme are made this way.\n"
    "Exit status: 0 done, 1 the file could not be written, 2 bad arguments.\n";

// Draws the icon at size x size and writes it to path as a PNG.
int write_icon(const char* size_text, const char* path, FILE* out, FILE* err) {
    char* end = nullptr;
    const long size = std::strtol(size_text, &end, 10);
    if (*size_text == '\0' || *end != '\0' || size < 8 || size > 1024) {
        std::fprintf(err, "poromina-tool icon: %s: the size must be a number from 8 to 1024\n", size_text);
        return kToolBadUsage;
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(size * size));
    make_icon(static_cast<int>(size), pixels.data());
    if (!write_png(path, pixels.data(), static_cast<int>(size), static_cast<int>(size), true)) {
        std::fprintf(err, "poromina-tool icon: %s: cannot write\n", path);
        return kToolFailed;
    }
    std::fprintf(out, "icon: %ldx%ld written to %s\n", size, size, path);
    return kToolOk;
}

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
                       : std::strcmp(command, "icon") == 0   ? kIconHelp
                       : std::strcmp(command, "new") == 0    ? kNewHelp
                       : std::strcmp(command, "shots") == 0  ? kShotsHelp
                                                             : nullptr;
    if (!help) return bad_usage(err, std::string("unknown command \"") + command + "\"", nullptr);
    for (int i = 2; i < argc; ++i) {
        if (is_help(argv[i])) {
            std::fputs(help, out);
            return kToolOk;
        }
    }
    if (std::strcmp(command, "icon") == 0) {
        if (argc != 4) return bad_usage(err, "icon takes a size and a file name", command);
        return write_icon(argv[2], argv[3], out, err);
    }
    if (std::strcmp(command, "new") == 0) {
        if (argc != 3 || argv[2][0] == '\0') return bad_usage(err, "new takes one folder", command);
        return new_story(argv[2], out, err);
    }
    if (std::strcmp(command, "shots") == 0) {
        if (argc != 4 || argv[2][0] == '\0' || argv[3][0] == '\0')
            return bad_usage(err, "shots takes a story folder and an output folder", command);
        return write_shots(argv[2], argv[3], out, err);
    }
    bool utf8 = false, json = false, clean = false;
    std::vector<char*> args(argv, argv + argc);
    if (std::strcmp(command, "check") == 0) {
        for (auto a = args.begin() + 2; a != args.end(); ++a)
            if (std::strcmp(*a, "--format=json") == 0 || std::strcmp(*a, "--format=text") == 0) {
                json = std::strcmp(*a, "--format=json") == 0;
                args.erase(a);
                break;
            }
    } else {
        for (auto a = args.begin() + 2; a != args.end();) {
            if (std::strcmp(*a, "--utf8") == 0) {
                utf8 = true;
                a = args.erase(a);
            } else if (std::strcmp(*a, "--clean") == 0 && std::strcmp(command, "pack") == 0) {
                clean = true;
                a = args.erase(a);
            } else {
                ++a;
            }
        }
    }
    argc = static_cast<int>(args.size());
    argv = args.data();
    int wanted = std::strcmp(command, "check") == 0 ? 1 : 2;
    if (argc - 2 != wanted) {
        return bad_usage(err, std::string(command) + " takes " + (wanted == 1 ? "one folder" : "two folders") +
                                  ", " + std::to_string(argc - 2) + " given",
                         command);
    }
    for (int i = 2; i < argc; ++i) {
        if (argv[i][0] == '\0') return bad_usage(err, "an empty folder name", command);
    }
    if (wanted == 1) return check_folder(argv[2], out, err, json);
    return pack_folder(argv[2], argv[3], std::strcmp(command, "pack") == 0, out, err, utf8, clean);
}
