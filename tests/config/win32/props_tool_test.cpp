// redudi-props run as a user runs it, its results read back through the
// registry directly and through Wine's own reg.exe.
#include "win32/child_process.h"
#include "win32/registry_test_root.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

using REDudi::testing::ChildProcess;
using REDudi::testing::ExecutableBeside;
using REDudi::testing::ReadRawValue;
using REDudi::testing::ReadWholeFile;
using REDudi::testing::RegistryTestRoot;
using REDudi::testing::TemporaryFile;

namespace {

struct ToolRun {
    DWORD exitCode = 0xDEAD;
    std::string output;
};

// Runs `commandLine` to its end, standard output and error together; a run
// still going after 30 s is killed and fails the test.
ToolRun RunCommand(const std::string& commandLine) {
    ToolRun run;
    std::string output = TemporaryFile("props");
    ChildProcess child;
    EXPECT_TRUE(child.Start(commandLine, output)) << commandLine;
    EXPECT_TRUE(child.Wait(30000, run.exitCode)) << "did not end: " << commandLine;
    run.output = ReadWholeFile(output);
    DeleteFileA(output.c_str());
    return run;
}

ToolRun RunProps(const std::string& arguments) {
    return RunCommand("\"" + ExecutableBeside("redudi-props.exe") + "\" " + arguments);
}

class PropsToolTest : public ::testing::Test {
protected:
    PropsToolTest() : branch_("tool"), root_(branch_.Root()) {}

    std::string Stored(const std::string& below, const std::string& name) {
        REDudi::testing::RawValue raw =
            ReadRawValue(below.empty() ? branch_.Key() : branch_.Key() + "\\" + below, name);
        return raw.found ? raw.bytes : "<missing>";
    }

    RegistryTestRoot branch_;
    std::string root_;
};

TEST_F(PropsToolTest, HelpAndBadUse) {
    struct Case {
        std::string arguments;
        DWORD exitCode;
        const char* message;
    } cases[] = {
        {"--help", 0, "export ROOT [--ini]"},
        {"", 2, "no command given"},
        {"frob " + root_, 2, "unknown command 'frob'"},
        {"get", 2, "get needs a ROOT"},
        {"get " + root_, 2, "wrong number of arguments"},
        {"set " + root_ + " /x", 2, "wrong number of arguments"},
        {"list " + root_ + " --bogus", 2, "unknown option --bogus"},
        {"set " + root_ + " /x 1 --type long", 2, "unknown type 'long'"},
        {"get " + root_ + " /x --type int", 2, "--type belongs to set"},
        {"set " + root_ + " /x 12a --type int", 2, "'12a' is not an int"},
        {"set " + root_ + " /x 2147483648 --type int", 2, "is not an int"},
        {"set " + root_ + " /x -2147483649 --type int", 2, "is not an int"},
        {"set " + root_ + " /x -1 --type uint", 2, "is not a uint"},
        {"set " + root_ + " /x 4294967296 --type uint", 2, "is not a uint"},
        {"set " + root_ + " /x 1e39 --type float", 2, "is not a float"},
        {"set " + root_ + " /x TRUE --type bool", 2, "is not a bool"},
        {"get // /x", 1, "the root '//' names no key"},
        {"set " + root_ + " /" + std::string(256, 'k') + "/x 1", 1, "longer than 255"},
        {"get " + root_ + "/Missing /x", 1, "cannot open the root"},
        {"import " + root_ + " C:\\no\\such\\file.ini", 1, "file.ini"},
    };
    for (const Case& c : cases) {
        ToolRun run = RunProps(c.arguments);
        EXPECT_EQ(c.exitCode, run.exitCode) << c.arguments << "\n" << run.output;
        EXPECT_NE(std::string::npos, run.output.find(c.message)) << c.arguments << "\n"
                                                                 << run.output;
    }
    EXPECT_EQ("<missing>", Stored("", "x"));
}

TEST_F(PropsToolTest, SetStoresEachTypeAtItsLimits) {
    struct Case {
        const char* name;
        const char* value;
        const char* type;
        std::string stored;
    } cases[] = {
        {"s", "some text", "string", "some text"},
        {"i", "-2147483648", "int", "-2147483648"},
        {"j", "2147483647", "int", "2147483647"},
        {"u", "4294967295", "uint", "4294967295"},
        {"f", "0.5", "float", "0.5"},
        {"b", "true", "bool", "true"},
        {"w", "wide", "wide", std::string("wide\0", 5)},
    };
    for (const Case& c : cases) {
        ToolRun run =
            RunProps("set " + root_ + " /Net/" + c.name + " \"" + c.value + "\" --type " + c.type);
        EXPECT_EQ(0u, run.exitCode) << c.name << "\n" << run.output;
        EXPECT_EQ(c.stored, Stored("Net", c.name)) << c.name;
    }
    ToolRun get = RunProps("get " + root_ + " Net/s");
    EXPECT_EQ(0u, get.exitCode);
    EXPECT_EQ("some text\n", get.output);

    // Wine's own reader sees what the tool wrote.
    ToolRun query =
        RunCommand("reg.exe query \"HKEY_LOCAL_MACHINE\\" + branch_.Key() + "\\Net\" /v i");
    EXPECT_EQ(0u, query.exitCode) << query.output;
    EXPECT_NE(std::string::npos, query.output.find("REG_SZ")) << query.output;
    EXPECT_NE(std::string::npos, query.output.find("-2147483648")) << query.output;
}

TEST_F(PropsToolTest, GetAndDeleteReportMissingProperties) {
    ASSERT_EQ(0u, RunProps("set " + root_ + " /A/B/v 1").exitCode);
    ASSERT_EQ(0u, RunProps("set " + root_ + " /A/w 2").exitCode);
    struct Case {
        std::string arguments;
        DWORD exitCode;
        const char* message;
    } cases[] = {
        {"get " + root_ + " /A/missing", 1, "no property /A/missing"},
        {"delete " + root_ + " /A/missing", 1, "no property /A/missing"},
        {"delete " + root_ + " --branch /Nothing", 1, "cannot delete the branch /Nothing"},
        {"delete " + root_ + " /A/w", 0, ""},
        {"get " + root_ + " /A/w", 1, "no property /A/w"},
        {"delete " + root_ + " --branch /A", 0, ""},
        {"get " + root_ + " /A/B/v", 1, "no property /A/B/v"},
    };
    for (const Case& c : cases) {
        ToolRun run = RunProps(c.arguments);
        EXPECT_EQ(c.exitCode, run.exitCode) << c.arguments << "\n" << run.output;
        EXPECT_NE(std::string::npos, run.output.find(c.message)) << c.arguments << "\n"
                                                                 << run.output;
    }
    EXPECT_FALSE(REDudi::testing::KeyExists(branch_.Key() + "\\A"));
}

TEST_F(PropsToolTest, GetNamesAnotherTypeAndListsWithJson) {
    ASSERT_EQ(0u, RunProps("set " + root_ + " /top \"say \\\"hi\\\"\"").exitCode);
    ASSERT_EQ(0u, RunProps("set " + root_ + " /K/a 2").exitCode);
    HKEY key;
    ASSERT_EQ(0, RegCreateKeyA(HKEY_LOCAL_MACHINE, (branch_.Key() + "\\K").c_str(), &key));
    DWORD number = 0x4241;
    RegSetValueExA(key, "dw", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    RegCloseKey(key);

    ToolRun get = RunProps("get " + root_ + " /K/dw");
    EXPECT_EQ(0u, get.exitCode);
    EXPECT_NE(std::string::npos, get.output.find("stored as REG_DWORD")) << get.output;

    ToolRun flat = RunProps("list " + root_);
    EXPECT_EQ(0u, flat.exitCode);
    EXPECT_EQ("/top=say \"hi\"\n", flat.output);
    ToolRun json = RunProps("list " + root_ + " --recursive --json");
    EXPECT_EQ(0u, json.exitCode);
    EXPECT_EQ("[{\"name\":\"/top\",\"value\":\"say \\\"hi\\\"\",\"type\":\"REG_SZ\"},"
              "{\"name\":\"/K/a\",\"value\":\"2\",\"type\":\"REG_SZ\"},"
              "{\"name\":\"/K/dw\",\"value\":\"AB\",\"type\":\"REG_DWORD\"}]\n",
              json.output);
}

TEST_F(PropsToolTest, ExportWritesIniTextAndNamesWhatItCannot) {
    ASSERT_EQ(0u, RunProps("set " + root_ + " /Port 80").exitCode);
    ASSERT_EQ(0u, RunProps("set " + root_ + " /Net/Proxy/Host example").exitCode);
    ASSERT_EQ(0u, RunProps("set " + root_ + " /Net/Proxy/Note \"a;b\"").exitCode);

    ToolRun run = RunProps("export " + root_ + " --ini");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_NE(std::string::npos, run.output.find("[/]\nPort=80\n\n[/Net/Proxy]\nHost=example\n"))
        << run.output;
    EXPECT_NE(std::string::npos, run.output.find("/Net/Proxy/Note left out: it contains '#' or"))
        << run.output;
}

TEST_F(PropsToolTest, ExportedTextImportsBackToTheSameProperties) {
    ASSERT_EQ(0u, RunProps("set " + root_ + " /Port 80").exitCode);
    ASSERT_EQ(0u, RunProps("set " + root_ + " /Net/Proxy/Host example").exitCode);
    ASSERT_EQ(0u, RunProps("set " + root_ + " /Net/Name \"two words\"").exitCode);
    ToolRun exported = RunProps("export " + root_);
    ASSERT_EQ(0u, exported.exitCode) << exported.output;

    std::string file = TemporaryFile("export") + ".ini";
    FILE* out = std::fopen(file.c_str(), "wb");
    ASSERT_NE(nullptr, out);
    std::fputs(exported.output.c_str(), out);
    std::fclose(out);
    RegistryTestRoot copy("copy");
    ToolRun imported = RunProps("import " + copy.Root() + " \"" + file + "\"");
    DeleteFileA(file.c_str());
    EXPECT_EQ(0u, imported.exitCode) << imported.output;

    ToolRun original = RunProps("list " + root_ + " --recursive");
    ToolRun copied = RunProps("list " + copy.Root() + " --recursive");
    EXPECT_EQ(0u, copied.exitCode);
    EXPECT_EQ(original.output, copied.output);
    EXPECT_NE(std::string::npos, copied.output.find("/Net/Name=two words\n")) << copied.output;
}

ToolRun ImportText(const std::string& root, const std::string& text, const std::string& options) {
    std::string file = TemporaryFile("import") + ".ini";
    FILE* out = std::fopen(file.c_str(), "wb");
    EXPECT_NE(nullptr, out);
    if (out == nullptr)
        return ToolRun();
    std::fputs(text.c_str(), out);
    std::fclose(out);
    ToolRun run = RunProps("import " + root + " \"" + file + "\"" + options);
    DeleteFileA(file.c_str());
    return run;
}

TEST_F(PropsToolTest, PluginImportFilesUnderTheGivenOrTheFilesName) {
    ToolRun run =
        ImportText(root_, "[Display]\nColor=red\n[General]\nName=Viewer\n[Window]\nSize=3\n",
                   " --plugin Start");
    EXPECT_EQ(0u, run.exitCode) << run.output;
    EXPECT_EQ("red", Stored("properties\\map\\Start\\Display", "Color"));
    EXPECT_EQ("3", Stored("properties\\map\\Viewer\\Window", "Size"));
}

TEST_F(PropsToolTest, ImportWritesNothingWhenAPropertyCannotBeStored) {
    // The key path below HKEY_LOCAL_MACHINE may hold at most 259 characters.
    std::size_t room = 259 - branch_.Key().size() - 3;
    struct Case {
        std::string section;
        DWORD exitCode;
    } cases[] = {{std::string(room, 'k'), 0}, {std::string(room + 1, 'k'), 1}};
    for (const Case& c : cases) {
        ToolRun run = ImportText(root_ + "/r", "[A]\nk=1\n[" + c.section + "]\nk=2\n", "");
        EXPECT_EQ(c.exitCode, run.exitCode) << c.section.size() << "\n" << run.output;
        EXPECT_EQ(c.exitCode == 0 ? "1" : "<missing>", Stored("r\\A", "k")) << c.section.size();
        EXPECT_EQ(c.exitCode == 0 ? "2" : "<missing>", Stored("r\\" + c.section, "k"))
            << c.section.size();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (branch_.Key() + "\\r").c_str());
    }
}

} // namespace
