// Debian's ffmpeg, run as a child process, makes the pictures and the sound.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "Bytes.h"
#include "Card.h"
#include "Result.h"

namespace lum::card {

struct EncodeRequest {
    Container container = Container::Mp4;
    int width = 640, height = 360, fps = 30, seconds = 60;
    unsigned toneHz = 440;
    CivilTime start;       // burnt into the picture, advancing with it
    std::string label;     // a second line under the time
    std::string fontFile;  // empty: a picture without text
    std::string ffmpeg = "ffmpeg";
};

// The first font file of a list of common Debian ones that exists, or empty.
std::string FindFont();

// Encodes one recording in workDir (which must exist) and returns its bytes.
Result<Bytes> Encode(const EncodeRequest& request, const std::filesystem::path& workDir);

// Runs a program with its output in a log file; the exit status or why it could not run.
Result<int> RunProgram(const std::vector<std::string>& argv, const std::filesystem::path& cwd,
                       const std::filesystem::path& log);

}  // namespace lum::card
