// What a program tells its entry about itself: its name and version for the
// options, and, for a program that keeps files of its own, which files the
// player's data folder holds. Each program has one, made by the build from
// the program's `winlayer_program` call (cmake/WinlayerProgram.cmake).
#pragma once

namespace entry {

struct ProgramProfile {
    const char* name;     // as the player types it
    const char* version;
    const char* summary;  // one line for --help

    // A program that keeps no files of its own leaves these empty and runs
    // in the folder it is started from.
    const char* dataFolderName;  // under $XDG_DATA_HOME
    const char* shippedData;     // the installed data folder, relative to the program's own folder
    const char* seedFiles;       // ';'-separated; copied in when the player has none yet
    const char* sharedFiles;     // ';'-separated; the player's folder links to the shipped ones
    const char* lostWithoutFolder;  // what the player loses when the folder is unusable
    const char* logFile;         // written when the program has to stop; echoed to stderr
};

extern const ProgramProfile kProgram;

}  // namespace entry
