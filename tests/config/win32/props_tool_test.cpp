// redudi-props run as a user runs it, its results read back from the registry.
#include "win32/child_process.h"
#include "win32/registry_test_root.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace REDudi::testing;

namespace {

struct ToolRun {
    std::string arguments; // of redudi-props
    DWORD exitCode;
    std::string message; // a part of standard output and error together
};

class PropsToolTest : public ::testing::Test {
protected:
    // Runs all at once (each within 60 s), checks each run, and gives their outputs.
    std::vector<std::string> RunAll(const std::vector<ToolRun>& runs) {
        std::vector<std::unique_ptr<ChildProcess>> children;
        std::vector<std::string> outputs;
        for (const ToolRun& run : runs) {
            // A name of its own: a file deleted just before may still be held.
            outputs.push_back(TemporaryFile("props" + std::to_string(runs_++)));
            children.emplace_back(new ChildProcess);
            EXPECT_TRUE(children.back()->Start(tool_ + run.arguments, outputs.back()));
        }
        for (std::size_t i = 0; i < runs.size(); ++i) {
            DWORD exitCode = 0xDEAD;
            EXPECT_TRUE(children[i]->Wait(60000, exitCode)) << "did not end: " << runs[i].arguments;
            const std::string file = outputs[i];
            outputs[i] = ReadWholeFile(file);
            DeleteFileA(file.c_str());
            const std::string context = runs[i].arguments + "\n" + outputs[i];
            EXPECT_EQ(runs[i].exitCode, exitCode) << context;
            EXPECT_NE(std::string::npos, outputs[i].find(runs[i].message)) << context;
        }
        return outputs;
    }
    // A file with `text`, removed with the test, as a quoted argument.
    std::string Ini(const std::string& text) {
        files_.push_back(TemporaryFile("import" + std::to_string(files_.size())) + ".ini");
        std::ofstream(files_.back(), std::ios::binary) << text;
        return " \"" + files_.back() + "\"";
    }
    ~PropsToolTest() override {
        for (const std::string& file : files_)
            DeleteFileA(file.c_str());
    }

    const std::string tool_ = "\"" + ExecutableBeside("redudi-props.exe") + "\" ";
    int runs_ = 0;
    RegistryTestRoot branch_{"tool"};
    std::string root_ = branch_.Root() + " ";
    std::vector<std::string> files_;
};

// Every command line names keys of its own, so that all run at once.
TEST_F(PropsToolTest, CommandLinesExitCodesAndMessages) {
    branch_.Plant("A", "w", "1");
    branch_.Plant("Net", "old", "1");
    branch_.Plant("B\\C", "v", "1");
    branch_.Plant("K", "dw", std::string("AB\0\0", 4), REG_DWORD);
    // The key path below HKEY_LOCAL_MACHINE may hold at most 259 characters.
    const std::string fits(259 - branch_.Key().size() - 3, 'k'), tooLong = fits + "k";
    RunAll({
        {"--help", 0, "export ROOT [--ini]"},
        {"", 2, "no command given"},
        {"frob " + root_, 2, "unknown command 'frob'"},
        {"get", 2, "get needs a ROOT"},
        {"get " + root_, 2, "wrong number of arguments"},
        {"set " + root_ + "/x", 2, "wrong number of arguments"},
        {"list " + root_ + "--bogus", 2, "unknown option --bogus"},
        {"set " + root_ + "/x 1 --type long", 2, "unknown type 'long'"},
        {"get " + root_ + "/x --type int", 2, "--type belongs to set"},
        {"set " + root_ + "/x 12a --type int", 2, "'12a' is not an int"},
        {"set " + root_ + "/x 2147483648 --type int", 2, "is not an int"},
        {"set " + root_ + "/x -2147483649 --type int", 2, "is not an int"},
        {"set " + root_ + "/x -1 --type uint", 2, "is not a uint"},
        {"set " + root_ + "/x 4294967296 --type uint", 2, "is not a uint"},
        {"set " + root_ + "/x 1e39 --type float", 2, "is not a float"},
        {"set " + root_ + "/x TRUE --type bool", 2, "is not a bool"},
        {"get // /x", 1, "the root '//' names no key"},
        {"set " + root_ + "/" + std::string(256, 'k') + "/x 1", 1, "longer than 255"},
        {"set " + root_ + "/" + std::string(255, 'k') + "/x 1", 1, "key path is longer than 259"},
        {"get " + branch_.Root() + "/Missing /x", 1, "cannot open the root"},
        {"import " + root_ + "C:\\no\\such\\file.ini", 1, "file.ini"},
        {"get " + root_ + "/A/missing", 1, "no property /A/missing"},
        {"delete " + root_ + "/A/missing", 1, "no property /A/missing"},
        {"delete " + root_ + "--branch /Nothing", 1, "cannot delete the branch /Nothing"},
        {"get " + root_ + "/K/dw", 0, "stored as REG_DWORD"},
        {"set " + root_ + "/Net/s \"some text\" --type string", 0, ""},
        {"set " + root_ + "/Net/i -2147483648 --type int", 0, ""},
        {"set " + root_ + "/Net/j 2147483647 --type int", 0, ""},
        {"set " + root_ + "/Net/u 4294967295 --type uint", 0, ""},
        {"set " + root_ + "/Net/f 0.5 --type float", 0, ""},
        {"set " + root_ + "/Net/b true --type bool", 0, ""},
        {"set " + root_ + "/Net/c false --type bool", 0, ""},
        {"set " + root_ + "/Net/w wide --type wide", 0, ""},
        {"delete " + root_ + "/Net/old", 0, ""},
        {"delete " + root_ + "--branch /B", 0, ""},
        {"import " + root_ +
             Ini("[Display]\nColor=red\n[General]\nName=Viewer\n[Window]\nSize=3\n") +
             " --plugin Start",
         0, ""},
        {"import " + branch_.Root() + "/r" + Ini("[A]\nk=1\n[" + fits + "]\nk=2\n"), 0, ""},
        {"import " + branch_.Root() + "/s" + Ini("[A]\nk=1\n[" + tooLong + "]\nk=2\n"), 1,
         "nothing imported"},
    });
    // The typed values as the manager stores them are checked with the manager.
    const std::string stored[][3] = {
        {"Net", "s", "some text"},  {"Net", "i", "-2147483648"},
        {"Net", "u", "4294967295"}, {"Net", "old", "<missing>"},
        {"", "x", "<missing>"},     {"properties\\map\\Start\\Display", "Color", "red"},
        {"r\\" + fits, "k", "2"},   {"Net", "w", std::string("wide\0", 5)}};
    for (auto& row : stored)
        EXPECT_EQ(row[2], branch_.Stored(row[0], row[1])) << row[0] << "/" << row[1];
    EXPECT_FALSE(KeyExists(branch_.Key("B")));
    EXPECT_FALSE(KeyExists(branch_.Key("s")));
    RunAll({{"get " + root_ + "Net/s", 0, "some text\n"}});
}

// Export imports back to the same listing; text an INI file cannot hold is named.
TEST_F(PropsToolTest, ListExportAndImportBack) {
    branch_.Plant("", "top", "say \"hi\"");
    branch_.Plant("Net\\Proxy", "Host", "ex\\ample");
    branch_.Plant("Net", "Name", "two words");
    RegistryTestRoot copy("copy");
    const std::string exported = RunAll({{"export " + root_, 0, ""}}).front();
    RunAll({{"import " + copy.Root() + Ini(exported), 0, ""}});
    std::vector<std::string> runs = RunAll({{"list " + root_ + "--recursive", 0, ""},
                                            {"list " + copy.Root() + " --recursive", 0, ""},
                                            {"list " + root_, 0, ""},
                                            {"list " + root_ + "--recursive --json", 0, ""}});
    EXPECT_EQ("/top=say \"hi\"\n/Net/Name=two words\n/Net/Proxy/Host=ex\\ample\n", runs[0]);
    EXPECT_EQ(runs[0], runs[1]);
    EXPECT_EQ("/top=say \"hi\"\n", runs[2]);
    EXPECT_EQ("[{\"name\":\"/top\",\"value\":\"say \\\"hi\\\"\",\"type\":\"REG_SZ\"},"
              "{\"name\":\"/Net/Name\",\"value\":\"two words\",\"type\":\"REG_SZ\"},"
              "{\"name\":\"/Net/Proxy/Host\",\"value\":\"ex\\\\ample\",\"type\":\"REG_SZ\"}]\n",
              runs[3]);
    branch_.Plant("Net\\Proxy", "Note", "a;b");
    const std::string text = RunAll({{"export " + root_ + "--ini", 1, ""}}).front();
    for (const char* part :
         {"[/Net/Proxy]\nHost=ex\\ample\n", "/Net/Proxy/Note left out: it contains '#' or"})
        EXPECT_NE(std::string::npos, text.find(part)) << part << "\n" << text;
}

} // namespace
