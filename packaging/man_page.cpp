// orvalune-manpage: the manual pages orvalune(6) and orvalune-capture(1), made from the very text
// each program prints for --help (its synopsis, options and keys), with the sections --help
// leaves out written here.
//
//   orvalune-manpage orvalune|orvalune-capture DATE OUT
#include "runtime/version.h"
#include "shell/command_line.h"
#include "tools/capture/options.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Section {
    const char* title;
    const char* roff; // already in roff
};

struct Page {
    const char* program;
    int section;
    const char* manual;
    const char* summary;
    const char* (*usage)();
    std::vector<Section> before; // between SYNOPSIS and OPTIONS
    std::vector<Section> after;  // after the sections the usage text gives
};

const Page pages[] = {
    {"orvalune", 6, "Games Manual", "a real-time underwater show to its own soundtrack", showUsage,
     {{"DESCRIPTION",
       "Orvalune plays fifteen underwater scenes in real time with OpenGL, synchronised to a six-minute\n"
       "soundtrack.\n"
       "Without options the setup dialog comes first and chooses the display mode, the aspect ratio,\n"
       "full screen or a window; the options below choose instead and skip the dialog.\n"
       "A bad option gets one line saying what is wrong."}},
     {{"ENVIRONMENT",
       ".TP\n.B ORVALUNE_VIDEO\n"
       ".BR auto ,\n.B x11\nor\n.BR wayland ,\nas\n.B \\-\\-video\n(which wins over it)."},
      {"FILES",
       ".TP\n.I /usr/share/orvalune/data.pak\n"
       "The show's textures, meshes, shaders and music.\n"
       "The program looks for it beside itself, then in\n.I ../share/orvalune/\nfrom its own folder."},
      {"EXIT STATUS",
       "0 after the show or the dialog's Quit, 1 when the show cannot start (the reason goes to\n"
       "standard error and a message box), 2 for a bad option."},
      {"SEE ALSO", ".BR orvalune\\-capture (1)"}}},
    {"orvalune-capture", 1, "User Commands", "render Orvalune's frames to PNG pictures or a video", captureUsage,
     {{"DESCRIPTION",
       ".B orvalune\\-capture\n"
       "runs the show offline, frame by frame at a fixed rate and size, and writes the frames as PNG\n"
       "files into a folder, or through\n.BR ffmpeg (1)\nas a video with the music.\n"
       "A single frame\n.RB ( \\-\\-at )\nis the picture a viewer of the show sees at that time; a range\n"
       ".RB ( \\-\\-from ,\n.BR \\-\\-to )\n"
       "holds every frame in between, exactly 1000/fps ms apart, so that the same time always gives\n"
       "the same picture.\n"
       "It needs a display with OpenGL, as the show does.\n"
       ".PP\n"
       "Frames appear complete (written, then renamed); a folder that already holds frames is\n"
       "refused unless\n.B \\-\\-force\nreplaces them.\n"
       ".I .mp4\nis H.264 with AAC,\n.I .mkv\nthe same,\n.I .webm\nVP9 with Opus.\n"
       "Ctrl-C or SIGTERM stops at the next frame: the frames written so far stay, and a video is\n"
       "closed so that it plays."}},
     {{"FILES",
       ".TP\n.I /usr/share/orvalune/data.pak\n"
       "The show's data, looked for beside the program, then in\n.I ../share/orvalune/\n"
       "from its own folder, unless\n.B \\-\\-archive\nnames another."},
      {"EXIT STATUS",
       "0 when every frame was written, 1 when the capture failed, 2 for a bad command line, 130 or\n"
       "143 when stopped by Ctrl-C or SIGTERM."},
      {"SEE ALSO", ".BR orvalune (6),\n.BR ffmpeg (1)"}}},
};

// Plain text as roff: backslashes and hyphens escaped, no line taken for a request.
std::string escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out = "\\&" + out;
    return out;
}

// An option's term: flags bold, their values italic ("--window WxH").
std::string term(const std::string& text)
{
    if (text[0] == '(') // "(no flags)"
        return escaped(text);
    std::istringstream words(text);
    std::string out;
    for (std::string word; words >> word;) {
        if (!out.empty())
            out += ' ';
        if (word[0] == '-')
            out += "\\fB" + escaped(word) + "\\fR";
        else
            out += "\\fI" + escaped(word) + "\\fR";
    }
    return out;
}

std::string trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first);
}

// The usage text's parts: synopsis lines, options (term, description) and closing paragraphs
// ("Keys: ...", each its own section, continued by the lines after it that name no other).
struct Usage {
    std::vector<std::string> synopsis;
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::pair<std::string, std::string>> paragraphs;
};

Usage parseUsage(const std::string& text, const std::string& program)
{
    Usage usage;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const std::string body = trimmed(line);
        const size_t indent = line.size() - body.size();
        if (body.empty())
            continue;
        if (body.rfind("usage: ", 0) == 0)
            usage.synopsis.push_back(trimmed(body.substr(7)));
        else if (indent > 0 && body.rfind(program + " ", 0) == 0)
            usage.synopsis.push_back(body);
        else if (indent == 2) {
            const size_t gap = body.find("  ");
            usage.options.push_back({body.substr(0, gap), gap == std::string::npos ? "" : trimmed(body.substr(gap))});
        } else if (indent > 2 && !usage.options.empty())
            usage.options.back().second += " " + body;
        else if (body.find(": ") == std::string::npos && !usage.paragraphs.empty())
            usage.paragraphs.back().second += " " + body; // a paragraph's next line
        else {
            const size_t colon = body.find(": ");
            std::string title = colon == std::string::npos ? "NOTES" : body.substr(0, colon);
            for (char& c : title)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            usage.paragraphs.push_back({title, colon == std::string::npos ? body : body.substr(colon + 2)});
        }
    }
    return usage;
}

std::string manPage(const Page& page, const std::string& date)
{
    const Usage usage = parseUsage(page.usage(), page.program);
    std::string upper = page.program;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string out = ".\\\" Made by orvalune-manpage from " + std::string(page.program) + " --help.\n";
    out += ".TH " + escaped(upper) + " " + std::to_string(page.section) + " \"" + date + "\" \"Orvalune " +
           orvaluneVersion() + "\" \"" + page.manual + "\"\n";
    out += ".nh\n"; // flags and paths are not hyphenated
    out += ".SH NAME\n" + escaped(page.program) + " \\- " + escaped(page.summary) + "\n";
    out += ".SH SYNOPSIS\n";
    for (size_t i = 0; i < usage.synopsis.size(); ++i) {
        const std::string& line = usage.synopsis[i];
        const size_t space = line.find(' ');
        out += (i ? ".br\n" : "") + std::string(".B ") + escaped(line.substr(0, space)) + "\n";
        if (space != std::string::npos)
            out += escaped(line.substr(space + 1)) + "\n";
    }
    for (const Section& section : page.before)
        out += ".SH " + std::string(section.title) + "\n" + section.roff + "\n";
    out += ".SH OPTIONS\n";
    for (const auto& [name, description] : usage.options)
        out += ".TP\n" + term(name) + "\n" + escaped(description) + "\n";
    for (const auto& [title, text] : usage.paragraphs)
        out += ".SH " + title + "\n" + escaped(text) + "\n";
    for (const Section& section : page.after)
        out += ".SH " + std::string(section.title) + "\n" + section.roff + "\n";
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: orvalune-manpage orvalune|orvalune-capture DATE OUT\n");
        return 2;
    }
    for (const Page& page : pages) {
        if (std::strcmp(argv[1], page.program) != 0)
            continue;
        std::ofstream out(argv[3], std::ios::binary);
        out << manPage(page, argv[2]);
        out.close();
        if (!out) {
            std::fprintf(stderr, "orvalune-manpage: cannot write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    std::fprintf(stderr, "orvalune-manpage: no manual page for '%s'\n", argv[1]);
    return 2;
}
