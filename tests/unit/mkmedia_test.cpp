// mkmedia run as vendors run it, on product folders and scripts given as data:
// what the medium holds afterwards, the messages with their script lines, the
// exit status, and that a refused or failed run leaves nothing behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "lz_compress.h"

namespace fs = std::filesystem;

namespace {

using namespace std;

string Read(const fs::path& p)
{
    ifstream in(p, ios::binary);
    ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Write(const fs::path& p, const string& bytes)
{
    fs::create_directories(p.parent_path());
    ofstream(p, ios::binary) << bytes;
}

// A 1 x 1 24-bit BMP, drawable; cut short, it is not.
const string kBmp = string("BM\x3A\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\1\0\0\0\1\0\0\0\1\0\x18\0", 30) +
                    string(24, '\0') + string("\x10\x20\x30\0", 4);

// The medium's files as a map of path to what it holds: compressed files as
// "SZDD(replaced character) expanded bytes".
map<string, string> Medium(const fs::path& out)
{
    map<string, string> files;
    if (!fs::exists(out)) return files;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(out)) {
        if (!e.is_regular_file()) continue;
        const string bytes = Read(e.path());
        const ExpandedLz x = ExpandLz(span((const uint8_t*)bytes.data(), bytes.size()));
        files[fs::relative(e.path(), out).generic_string()] =
            x.error.empty() ? "SZDD(" + string(1, x.replacedChar) + ") " + string(x.data.begin(), x.data.end()) : bytes;
    }
    return files;
}

struct Case {
    const char* what;
    map<string, string> product;  // path: bytes
    string script;                // lines joined by '|'
    string options;
    int status;
    string messages;             // what it says on its error stream, "S" the script's path
    map<string, string> medium;  // without SETUP.EXE and INSTALL.LST, checked apart
};

TEST(Mkmedia, MakesMediaAndRefusesBadInput)
{
    const string demo =
        "filestart|copy DEMO.EX_ DEMO.EXE|copy README.TXT|mkdir DATA|chdir DATA|"
        "copy NOTES.TX_|chdir|diagstart init|banner LOGO.BMP";
    const map<string, string> product = {{"demo.exe", "MZ demo"},
                                         {"README.TXT", "read me"},
                                         {"Data/notes.txt", "notes notes notes"},
                                         {"LOGO.BMP", kBmp}};
    const Case cases[] = {
        {"the demo: compressed where the script says, found in any letter case",
         product,
         demo,
         "",
         0,
         "",
         {{"DEMO.EX_", "SZDD(E) MZ demo"},
          {"README.TXT", "read me"},
          {"DATA/NOTES.TX_", "SZDD(T) notes notes notes"},
          {"LOGO.BMP", kBmp}}},
        {"lines it never reads: outside a file section, after the end-of-file mark",
         {{"A.TXT", "a"}},
         "copy NOPE.TXT|filestart|copy A.TXT|copy A.TXT B.TXT|\x1a"
         "copy GONE.TXT",
         "",
         1,
         "S:1:1: warning: 'copy' in no section: the line is ignored\n",
         {{"A.TXT", "a"}}},
        {"a missing source and an undrawable picture, each with its line",
         {{"LOGO.BMP", kBmp.substr(0, 40)}},
         "diagstart init|banner LOGO.BMP|filestart|copy MISSING.DL_ MISSING.DLL",
         "",
         2,
         "S:2: error: LOGO.BMP cannot be drawn\nS:4: error: no MISSING.DLL in the product folder (copy source "
         "MISSING.DL_)\n",
         {}},
        {"a picture that cannot be drawn",
         {{"LOGO.BMP", kBmp.substr(0, 40)}},
         "diagstart init|banner LOGO.BMP",
         "",
         2,
         "S:2: error: LOGO.BMP cannot be drawn\n",
         {}},
    };
    const fs::path root = fs::temp_directory_path() / "mkmedia_test";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root);
        for (const auto& [path, bytes] : c.product) Write(root / "product" / path, bytes);
        string script = c.script;
        replace(script.begin(), script.end(), '|', '\n');
        Write(root / "INSTALL.LST", script);
        Write(root / "setup.exe", "MZ setup");
        Write(root / "uninst.exe", "MZ uninst");
        const string command = string(MKMEDIA) + " --setup " + (root / "setup.exe").string() + " " + c.options + " " +
                               (root / "product").string() + " " + (root / "INSTALL.LST").string() + " " +
                               (root / "out").string() + " >" + (root / "said").string() + " 2>" +
                               (root / "errors").string();
        const int status = system(command.c_str());
        string messages = Read(root / "errors");
        for (size_t at; (at = messages.find((root / "INSTALL.LST").string())) != string::npos;)
            messages.replace(at, (root / "INSTALL.LST").string().size(), "S");
        map<string, string> medium = Medium(root / "out");
        const bool whole = c.status == 2 || (medium["INSTALL.LST"] == script && medium["SETUP.EXE"] == "MZ setup" &&
                                             medium["UNINST.EXE"] == "MZ uninst");
        for (const char* name : {"INSTALL.LST", "SETUP.EXE", "UNINST.EXE"}) medium.erase(name);
        EXPECT_EQ(tuple(WEXITSTATUS(status), messages, medium, whole, fs::exists(root / "out.mkmedia-partial")),
                  tuple(c.status, c.messages, c.medium, true, false));
    }
    // A medium already there stays unless --force replaces it.
    const string args = " --setup " + (root / "setup.exe").string() + " " + (root / "product").string() + " " +
                        (root / "INSTALL.LST").string() + " " + (root / "out").string() + " 2>/dev/null";
    Write(root / "out" / "OLD.TXT", "old");
    const int refused = system((string(MKMEDIA) + args).c_str());
    EXPECT_EQ(pair(WEXITSTATUS(refused), Read(root / "out" / "OLD.TXT")), pair(2, string("old")));
    Write(root / "product" / "LOGO.BMP", kBmp);
    const int forced = system((string(MKMEDIA) + " --force" + args).c_str());
    EXPECT_EQ(pair(WEXITSTATUS(forced), fs::exists(root / "out" / "OLD.TXT")), pair(0, false));
    fs::remove_all(root);
}

}  // namespace
