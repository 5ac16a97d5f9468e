// Who made the game, as the staff roll and the desktop metadata name it. The build reads
// kCreditedName from this file for the AppStream metadata, so this is the one place to change it.
#pragma once

// Every role of the staff roll and its closing line credit the project, under its name.
constexpr char kCreditedName[] = "poromina";
