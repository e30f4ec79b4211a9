// The freedesktop files of a registration: a MIME package and .desktop files
// that the desktop's own tools accept and understand, Exec lines that give
// back the intended argument vector, and mimeapps.list lines of others kept.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "platform/posix/DesktopFiles.h"

extern char** environ;

namespace kestrel {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;  // -1: could not start
    std::string output;
};

// Runs a tool (argument vector, no shell) with extra environment entries and
// collects its standard output.
ToolRun runTool(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment) {
    std::vector<std::string> environment(extraEnvironment);
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& extra : extraEnvironment) replaced |= extra.rfind(name + "=", 0) == 0;
        if (!replaced) environment.push_back(text);
    }
    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> copy(args);
    std::vector<char*> argv;
    for (auto& arg : copy) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    ToolRun run;
    char chunk[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], chunk, sizeof chunk)) > 0) run.output.append(chunk, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    if (error != 0) return run;
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    while (!run.output.empty() && run.output.back() == '\n') run.output.pop_back();
    return run;
}

bool haveTool(const std::string& name) { return runTool({"sh", "-c", "command -v \"$0\"", name}, {}).status == 0; }

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The Exec value read back by the Desktop Entry rules: the string escapes,
// then words split at blanks outside double quotes, "\" escaping inside them,
// "%%" a single "%".
std::vector<std::string> parseExec(const std::string& value) {
    std::string line;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            line += next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
        } else {
            line += value[i];
        }
    }
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '\\' && i + 1 < line.size())
                word += line[++i];
            else if (c == '"')
                quoted = false;
            else
                word += c;
        } else if (c == '"') {
            quoted = any = true;
        } else if (c == ' ') {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else if (c == '%' && i + 1 < line.size() && line[i + 1] == '%') {
            word += '%';
            ++i;
            any = true;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

class DesktopFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device seed;
        root_ = fs::temp_directory_path() / ("kestrel-desktop-" + std::to_string(seed()) + std::to_string(seed()));
        fs::create_directories(root_ / "bin");
        fs::create_directories(root_ / "files");
        // A plover that exists, so that the desktop's tools accept it as a default.
        std::ofstream(root_ / "bin" / "plover") << "#!/bin/sh\n";
        fs::permissions(root_ / "bin" / "plover", fs::perms::owner_all);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    DesktopFiles files() const { return DesktopFiles((root_ / "data").string(), (root_ / "config").string()); }
    std::vector<std::string> environment() const {
        return {"XDG_DATA_HOME=" + (root_ / "data").string(), "XDG_CONFIG_HOME=" + (root_ / "config").string(),
                "XDG_CURRENT_DESKTOP=", "HOME=" + root_.string()};
    }
    FileTypeSet demo() const {
        const std::string kestrel = (root_ / "bin" / "kestrel").string();
        FileTypeSet set;
        set.codeset = "Demo";
        FileTypeSet::Type script;
        script.kind = FileTypeSet::Kind::script;
        script.description = "Demo script";
        script.globs = {"*.dsc"};
        script.verbs.push_back({"compile", "Compile Script (Demo)", {kestrel, "--file", "%f", "#boot demo;#encode"}});
        FileTypeSet::Type source;
        source.kind = FileTypeSet::Kind::source;
        source.description = "Demo source";
        source.globs = {"*.dsrc", "*.dimg"};
        source.verbs.push_back(
            {"decompiledemo", "Decompile (Demo)", {kestrel, "--file", "%f", "#boot demo;#rawdecode"}});
        FileTypeSet::Type buffer;
        buffer.kind = FileTypeSet::Kind::buffer;
        buffer.description = "Kestrel buffer file";
        buffer.globs = {"*.dbuf"};
        buffer.verbs.push_back({"decompile.Demo", "Decompile Demo", {kestrel, "--file", "%f", "#boot demo;#decode"}});
        buffer.opener = {(root_ / "bin" / "plover").string(), "%f"};
        set.types = {script, source, buffer};
        return set;
    }
    fs::path root_;
};

TEST_F(DesktopFilesTest, TheDesktopToolsAcceptTheFiles) {
    DesktopFiles desktop = files();
    desktop.publish(demo());
    const fs::path package = desktop.packagePath("Demo");
    ASSERT_TRUE(fs::exists(package));
    const std::string xml = readFile(package);
    EXPECT_NE(xml.find("<mime-type type=\"text/x-kestrel-demo-script\">"), std::string::npos);
    EXPECT_NE(xml.find("<sub-class-of type=\"text/plain\"/>"), std::string::npos);
    EXPECT_NE(xml.find("<glob pattern=\"*.dimg\"/>"), std::string::npos);
    int desktopFiles = 0;
    for (const auto& entry : fs::directory_iterator(root_ / "data" / "applications"))
        desktopFiles += entry.path().extension() == ".desktop";
    EXPECT_EQ(desktopFiles, 4) << "three verbs and the buffer opener";

    if (!haveTool("xmllint")) GTEST_SKIP() << "xmllint is not installed";
    EXPECT_EQ(runTool({"xmllint", "--noout", package.string()}, {}).status, 0);
    if (!haveTool("desktop-file-validate")) GTEST_SKIP() << "desktop-file-validate is not installed";
    for (const auto& entry : fs::directory_iterator(root_ / "data" / "applications")) {
        if (entry.path().extension() != ".desktop") continue;
        ToolRun check = runTool({"desktop-file-validate", entry.path().string()}, {});
        EXPECT_EQ(check.status, 0) << entry.path() << "\n" << check.output;
        EXPECT_EQ(check.output.find("error"), std::string::npos) << check.output;
    }
}

TEST_F(DesktopFilesTest, FileManagersFindTheTypeAndPloverAsTheBufferDefault) {
    if (!haveTool("xdg-mime") || !haveTool("update-mime-database") || !haveTool("mimetype"))
        GTEST_SKIP() << "xdg-mime, update-mime-database or mimetype is not installed";
    files().publish(demo());
    std::ofstream(root_ / "files" / "new.dsc") << "give 1\n";
    EXPECT_EQ(runTool({"xdg-mime", "query", "filetype", (root_ / "files" / "new.dsc").string()}, environment()).output,
              "text/x-kestrel-demo-script");
    EXPECT_EQ(runTool({"xdg-mime", "query", "default", "application/x-kestrel-buffer"}, environment()).output,
              DesktopFiles::kOpenerDesktop);
}

TEST_F(DesktopFilesTest, OtherLinesOfMimeappsListStay) {
    fs::create_directories(root_ / "config");
    std::ofstream(root_ / "config" / "mimeapps.list")
        << "# mine\n[Default Applications]\ntext/html=firefox.desktop\n\n[Added Associations]\n"
           "application/x-kestrel-buffer=hexedit.desktop;\nimage/png=gimp.desktop;\n[Removed Associations]\n"
           "text/plain=kestrel-demo-compile.desktop;\n";
    DesktopFiles desktop = files();
    desktop.publish(demo());
    const std::string after = readFile(root_ / "config" / "mimeapps.list");
    for (const char* line : {"# mine\n", "text/html=firefox.desktop\n", "image/png=gimp.desktop;\n",
                             "[Removed Associations]\ntext/plain=kestrel-demo-compile.desktop;\n",
                             "application/x-kestrel-buffer=hexedit.desktop;kestrel-demo-decompile_demo.desktop;"
                             "kestrel-plover.desktop;\n",
                             "text/x-kestrel-demo-script=kestrel-demo-compile.desktop;\n"})
        EXPECT_NE(after.find(line), std::string::npos) << line << "in\n" << after;
    EXPECT_NE(
        after.find("[Default "
                   "Applications]\ntext/html=firefox.desktop\napplication/x-kestrel-buffer=kestrel-plover.desktop;\n"),
        std::string::npos)
        << after;
    // Publishing again changes nothing; withdrawing leaves only the others' lines.
    desktop.publish(demo());
    EXPECT_EQ(readFile(root_ / "config" / "mimeapps.list"), after);
    desktop.withdraw("demo");
    const std::string withdrawn = readFile(root_ / "config" / "mimeapps.list");
    EXPECT_EQ(withdrawn.find("kestrel-demo"), withdrawn.find("kestrel-demo-compile.desktop;\n")) << withdrawn;
    // plover stays the opener of buffer files: other codesets may share the type.
    EXPECT_NE(withdrawn.find("application/x-kestrel-buffer=hexedit.desktop;kestrel-plover.desktop;\n"),
              std::string::npos)
        << withdrawn;
    EXPECT_FALSE(fs::exists(desktop.packagePath("demo")));
    EXPECT_FALSE(fs::exists(desktop.desktopPath("kestrel-demo-compile.desktop")));
}

TEST(DesktopExec, ArgumentsSurviveQuotingAndEscaping) {
    const std::vector<std::vector<std::string>> vectors = {
        {"/opt/My Tools/it's \"odd\" $HOME `x` \\back/kestrel", "--file", "%f", "#boot demo;#encode"},
        {"/usr/bin/kestrel", "50%", "a\tb", "", "(x)|y&z>w<v~u*?"},
        {"/p/plover", "%f"},
    };
    for (const auto& argv : vectors) EXPECT_EQ(parseExec(DesktopFiles::execValue(argv)), argv);
    EXPECT_EQ(DesktopFiles::execValue({"/usr/bin/plover", "%f"}), "/usr/bin/plover %f");
}

}  // namespace
}  // namespace kestrel
