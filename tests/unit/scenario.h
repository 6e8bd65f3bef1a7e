// A typical leftover: the tool started in /start for the target /t/setup,
// which holds a read-only file and a plain one, inside an otherwise empty
// parent /t; one follow-up program or more.
#ifndef AFTERSETUP_TESTS_UNIT_SCENARIO_H
#define AFTERSETUP_TESTS_UNIT_SCENARIO_H

#include <string>
#include <vector>

#include "fake/fake_platform.h"

inline void BuildTypicalWorld()
{
    fake::World &w = fake::TheWorld();
    w.currentDirectory = "/start";
    w.directories["/start"].entries = {fake::File("notes.txt")};
    w.directories["/t"];
    w.directories["/t/setup"].entries = {
        fake::File("readme.txt", CFile::readOnly | CFile::archive),
        fake::File("data.bin"),
    };
}

inline std::vector<std::string> TypicalArguments(std::vector<std::string> programs = {})
{
    std::vector<std::string> arguments = {"aftersetup.exe", "/t/setup", "My Setup"};
    arguments.insert(arguments.end(), programs.begin(), programs.end());
    return arguments;
}

#endif
