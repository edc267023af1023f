#include "app/CommandLine.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>
#include <unistd.h>

#ifndef DRAVIN_VERSION
#define DRAVIN_VERSION "0.1.0"
#endif

namespace dravin {

namespace {

// Window sides above this are refused outright; the window is later kept
// within the screen anyway.
constexpr long kMaxWindowSide = 16384;
// A recording's frame rate: at most a thousand frames a second.
constexpr long kMaxFps = 1000;

bool parseSize(std::string_view text, int& width, int& height) {
    size_t x = text.find('x');
    long w = 0, h = 0;
    if (x == std::string_view::npos || !parseWhole(text.substr(0, x), 1, kMaxWindowSide, w) ||
        !parseWhole(text.substr(x + 1), 1, kMaxWindowSide, h))
        return false;
    width = int(w);
    height = int(h);
    return true;
}

std::string baseName(const char* path) {
    std::string_view p = path ? path : "";
    size_t slash = p.rfind('/');
    std::string_view name = slash == std::string_view::npos ? p : p.substr(slash + 1);
    return name.empty() ? "dravin" : std::string(name);
}

class Parser {
  public:
    Parser(int argc, const char* const* argv, const Syntax& syntax)
        : argc_(argc), argv_(argv), syntax_(syntax) {
        result_.program = baseName(argc > 0 ? argv[0] : nullptr);
    }

    CommandLine parse() {
        bool optionsEnded = false;
        for (index_ = 1; index_ < argc_ && !finished(); ++index_) {
            std::string_view arg = argv_[index_];
            if (optionsEnded || arg.size() < 2 || arg[0] != '-')
                operandArgument(arg);
            else if (arg == "--")
                optionsEnded = true;
            else if (arg.starts_with("--"))
                longOption(arg.substr(2));
            else
                shortOptions(arg.substr(1));
        }
        if (!finished() && !result_.screenshot.empty() && result_.frames == 0)
            result_.frames = 1;
        return result_;
    }

  private:
    bool finished() const { return result_.action != CommandLine::Action::run; }

    void fail(const std::string& what) { result_.refuse(what); }

    // The option's value: after '=' when given so, else the next argument.
    bool takeValue(std::string_view name, const std::string_view* attached, std::string& value) {
        if (attached) {
            value = *attached;
        } else if (index_ + 1 < argc_) {
            value = argv_[++index_];
        } else {
            fail("option '--" + std::string(name) + "' needs a value");
            return false;
        }
        if (value.empty()) {
            fail("option '--" + std::string(name) + "' needs a value");
            return false;
        }
        return true;
    }

    void windowOption(const std::string_view* size, const std::string& spelling) {
        result_.window = true;
        if (size && !parseSize(*size, result_.windowWidth, result_.windowHeight))
            fail("bad value '" + std::string(*size) + "' for " + spelling +
                 ": WIDTHxHEIGHT expected, each from 1 to " + std::to_string(kMaxWindowSide));
    }

    void longOption(std::string_view body) {
        size_t eq = body.find('=');
        std::string_view name = body.substr(0, eq);
        std::string_view attachedText = eq == std::string_view::npos ? "" : body.substr(eq + 1);
        const std::string_view* attached = eq == std::string_view::npos ? nullptr : &attachedText;
        const std::string spelling = "--" + std::string(name);
        std::string value;
        if ((name == "help" || name == "version") && attached) {
            fail("option '" + spelling + "' takes no value");
        } else if (name == "help") {
            result_.action = CommandLine::Action::help;
        } else if (name == "version") {
            result_.action = CommandLine::Action::version;
        } else if (name == "window") {
            windowOption(attached, spelling);
        } else if (name == "frames") {
            long n = 0;
            if (!takeValue(name, attached, value))
                return;
            if (!parseWhole(value, 1, INT_MAX, n))
                fail("bad value '" + value + "' for --frames: a whole number from 1 expected");
            else
                result_.frames = int(n);
        } else if (name == "screenshot") {
            if (takeValue(name, attached, value))
                result_.screenshot = absolutePath(value);
        } else if (name == "record") {
            if (takeValue(name, attached, value))
                result_.record = absolutePath(value);
        } else if (name == "fps") {
            long n = 0;
            if (!takeValue(name, attached, value))
                return;
            if (!parseWhole(value, 1, kMaxFps, n))
                fail("bad value '" + value + "' for --fps: a whole number from 1 to " +
                     std::to_string(kMaxFps) + " expected");
            else
                result_.fps = int(n);
        } else if (const Syntax::Option* own = programOption(name)) {
            takeWords(*own, attached);
        } else {
            fail("unknown option '" + spelling + "'");
        }
    }

    const Syntax::Option* programOption(std::string_view name) const {
        for (const Syntax::Option& option : syntax_.options)
            if (option.name == name)
                return &option;
        return nullptr;
    }

    // The option's words: after '=' and the next words, or the next words
    // alone, as they are whatever they begin with (a file manager fills them in).
    void takeWords(const Syntax::Option& option, const std::string_view* attached) {
        std::vector<std::string> words;
        if (attached)
            words.emplace_back(*attached);
        if (argc_ - 1 - index_ < option.words - int(words.size())) {
            fail("option '--" + option.name + "' needs " + option.wordNames);
            return;
        }
        while (int(words.size()) < option.words)
            words.emplace_back(argv_[++index_]);
        if (option.take)
            if (const std::string wrong = option.take(words, result_); !wrong.empty())
                fail(wrong);
    }

    void shortOptions(std::string_view letters) {
        for (size_t i = 0; i < letters.size() && !finished(); ++i) {
            if (letters[i] == 'h') {
                result_.action = CommandLine::Action::help;
            } else if (letters[i] == 'w') {
                // Like GNU's optional arguments: only a value in the same word.
                std::string_view rest = letters.substr(i + 1);
                windowOption(rest.empty() ? nullptr : &rest, "-w");
                return;
            } else {
                fail("unknown option '-" + std::string(1, letters[i]) + "'");
            }
        }
    }

    void operandArgument(std::string_view arg) {
        if (syntax_.operand.empty())
            fail("unexpected argument '" + std::string(arg) + "'");
        else if (!result_.operand.empty())
            fail("one " + syntax_.operandNoun + " at most, but '" + std::string(arg) +
                 "' follows another");
        else
            result_.operand = absolutePath(std::string(arg));
    }

    int argc_;
    const char* const* argv_;
    const Syntax& syntax_;
    int index_{};
    CommandLine result_;
};

} // namespace

bool parseWhole(std::string_view text, long min, long max, long& value) {
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return false;
    std::string copy(text);
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(copy.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < min || v > max)
        return false;
    value = v;
    return true;
}

void CommandLine::refuse(const std::string& what) {
    action = Action::usageError;
    error = program + ": " + what + " (try '" + program + " --help')";
}

CommandLine parseCommandLine(int argc, const char* const* argv, const Syntax& syntax) {
    return Parser(argc, argv, syntax).parse();
}

std::string absolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/')
        return path;
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer))
        return path;
    std::string dir = buffer;
    return dir == "/" ? dir + path : dir + "/" + path;
}

std::string versionText() {
    return std::string("dravin ") + DRAVIN_VERSION + "\n";
}

std::string usageText(const CommandLine& parsed, const Syntax& syntax) {
    std::string text = "Usage: " + parsed.program + " [OPTIONS]";
    if (!syntax.operand.empty())
        text += " [" + syntax.operand + "]";
    text += "\n" + syntax.summary + "\n";
    text += R"(
Options:
  -h, --help                 show this help and exit
      --version              show the version and exit
  -w, --window[=WIDTHxHEIGHT]
                             a normal window (default 1280x800, at most the
                             screen) instead of the full screen
      --frames N             stop after N drawn frames
      --screenshot FILE.png  after the last frame (--frames, default 1) write
                             the picture to FILE.png
      --record FILE          record the drawn frames to FILE: .mp4 or .mkv
                             (H.264), .webm (VP9) or .gif; until --frames or
                             the end
      --fps N                the recording's frame rate (default 60)
)";
    text += syntax.optionsHelp;
    text += R"(  --                         end of options
Without a display the program draws offscreen, at the size of the offscreen
screen or of --window. Ctrl+Q or closing the window quits.
)";
    text += syntax.notes;
    text += R"(
Exit status: 0 after a quit, a signal or --frames; 1 when the program cannot
start or a capture or thumbnail fails; 2 for a usage error.
)";
    return text;
}

} // namespace dravin
