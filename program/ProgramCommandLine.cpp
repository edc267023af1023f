#include "program/ProgramCommandLine.h"

namespace {

// SIZE, MODEL and OUT.png, checked in that order.
std::string takeThumbnail(const std::vector<std::string>& words, dravin::CommandLine& parsed,
                          ProgramCommandLine& into) {
    long side = 0;
    if (!dravin::parseWhole(words[0], 1, kMaxThumbnailSize, side))
        return "bad value '" + words[0] + "' for --thumbnail: a size from 1 to " +
               std::to_string(kMaxThumbnailSize) + " expected";
    if (words[1].empty() || words[2].empty())
        return "option '--thumbnail' needs SIZE, MODEL and OUT.png";
    if (into.thumbnailSize > 0)
        return "one thumbnail at most";
    into.modelBeforeThumbnail = !parsed.operand.empty();
    into.thumbnailSize = int(side);
    parsed.operand = dravin::absolutePath(words[1]);
    into.thumbnail = dravin::absolutePath(words[2]);
    return "";
}

} // namespace

dravin::Syntax programSyntax(ProgramCommandLine* into) {
    dravin::Syntax syntax;
    syntax.operand = "MODEL.obj";
    syntax.operandNoun = "model";
    syntax.summary = "Shows the demo scene, or with MODEL.obj a viewer for that model.";
    syntax.options.push_back(
        {"thumbnail", 3, "SIZE, MODEL and OUT.png",
         [into](const std::vector<std::string>& words, dravin::CommandLine& parsed) {
             return into ? takeThumbnail(words, parsed, *into) : std::string();
         }});
    syntax.options.push_back(
        {"turntable", 0, "", [into](const std::vector<std::string>& words, dravin::CommandLine&) {
             if (!words.empty())
                 return std::string("option '--turntable' takes no value");
             if (into)
                 into->turntable = true;
             return std::string();
         }});
    syntax.optionsHelp =
        R"(      --turntable            turn MODEL once about the vertical axis over the
                             frames (--frames, default 120), and stop
      --thumbnail SIZE MODEL OUT.png
                             write a SIZE x SIZE picture (SIZE 1 to 1024) of
                             MODEL to OUT.png without a window, and exit;
                             reads nothing outside the model's folder
)";
    syntax.notes = R"(
Viewer keys (with MODEL.obj):
  left or middle drag  turn the model      wheel  zoom
  R       reset the view                   S      smooth or flat shading
  F       faces                            W      wireframe
  N       normals                          M      materials and their textures
  T       textures (a checker without one) Esc, Q quit
)";
    return syntax;
}

ProgramCommandLine parseProgramCommandLine(int argc, const char* const* argv) {
    ProgramCommandLine parsed;
    parsed.options = dravin::parseCommandLine(argc, argv, programSyntax(&parsed));
    dravin::CommandLine& o = parsed.options;
    if (o.action != dravin::CommandLine::Action::run)
        return parsed;
    if (parsed.turntable) {
        if (o.operand.empty() || parsed.thumbnailSize > 0)
            o.refuse("option '--turntable' needs a model");
        else if (o.frames == 0)
            o.frames = kTurntableFrames;
    }
    if (parsed.thumbnailSize == 0)
        return parsed;
    // A thumbnail is drawn as a file manager asks for it, and nothing else.
    if (o.window || o.frames > 0 || !o.screenshot.empty() || !o.record.empty() ||
        parsed.modelBeforeThumbnail)
        o.refuse("option '--thumbnail' takes no other option and no other model");
    return parsed;
}

std::vector<std::string> commandLineForModel(const dravin::CommandLine& running,
                                             const std::string& model) {
    std::vector<std::string> words{running.program};
    if (running.window)
        words.push_back("--window=" + std::to_string(running.windowWidth) + "x" +
                        std::to_string(running.windowHeight));
    words.insert(words.end(), {"--", model});
    return words;
}
