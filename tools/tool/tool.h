// poromina-tool: authoring commands over a data folder (pack, unpack, check), written as
// functions so that the tests call them directly.
#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

// Exit statuses of every command.
constexpr int kToolOk = 0;        // done; for check: the folder is playable
constexpr int kToolFailed = 1;    // some file failed; for check: the folder is not playable
constexpr int kToolBadUsage = 2;  // bad arguments or a folder that cannot be used

// Runs the command line (argv[0] is the program); output to out, errors to err.
int run_tool(int argc, char** argv, FILE* out, FILE* err);

// What the RIFF chunk walk of the game's WAVE reader finds in a file held in memory.
enum class WaveKind {
    not_wave,  // no "RIFF" .... "WAVE" header
    no_data,   // a WAVE header but no "data" chunk inside the file
    wave,      // a WAVE with its "data" payload at *offset, *length bytes (cut at the file's end)
               // ("data" is looked for within the RIFF chunk's declared size)
};
WaveKind find_wave_payload(const unsigned char* bytes, size_t size, size_t* offset, size_t* length);

// Writes dst from src, every file in every subfolder: pack scrambles plain files into their
// stored form, unpack (pack false) turns stored files back into plain ones. A WAVE keeps its
// RIFF structure in the clear and only its "data" payload is scrambled. With utf8_script, every
// script file (GAME42297263) is UTF-8 with LF line ends on the plain side and Shift-JIS with
// CR LF on the stored side; a script with a character that has no Shift-JIS form is refused,
// one whose character Shift-JIS stores as another's (— as ―) is noted with its line. pack names
// the files of dst that no file of src stands for any more, and with clean removes them.
int pack_folder(const std::string& src, const std::string& dst, bool pack, FILE* out, FILE* err,
                bool utf8_script = false, bool clean = false);

// Checks that a game folder (or its data folder) holds a playable story; prints one finding a
// line ("FILE:LINE: error: ..." or "warning:") and a summary to out, or all of it as one JSON
// object. Returns kToolOk (no errors), kToolFailed or kToolBadUsage.
int check_folder(const std::string& dir, FILE* out, FILE* err, bool json = false);

// Makes folder (new or empty) a small working story: plain/ with a UTF-8 script of three scenes,
// a balloon and the staff roll's balloon in entry 103, pictures, a pointer and a sound drawn and
// made here, and data/ packed from it.
int new_story(const std::string& folder, FILE* out, FILE* err);

// Writes a picture of every entry of the story in folder story (a game folder or its data folder)
// into out_dir as entry-NNN.png, and contact-sheet.png of them all, through the replay harness.
int write_shots(const std::string& story, const std::string& out_dir, FILE* out, FILE* err);
