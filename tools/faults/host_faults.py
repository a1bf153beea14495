#!/usr/bin/env python3
"""Plants small faults in the portable code one at a time, builds the host unit tests, runs them and tallies
whether each fault is caught.

    host_faults.py TALLY_FILE [--wine] [--in-place] [--resync] [--tests DIR] [--only NAME,NAME...]

--wine plants the faults of wine_fault_list.py, in the code that needs Windows, in a mirror of its own
(build/faults/wtree), builds the win64 preset there and runs the Windows tests and the 64-bit scenarios under
Wine in that mirror's own test bed, stopping at the first failing test.

By default the faults are planted in a mirror of this tree under build/faults/tree (its own host build), so
nobody building the tree meanwhile picks up a planted fault; the mirror takes the current sources and tests of
the tree: its tests at the start of every run, its code at the first run or with --resync. --in-place plants
them in the tree itself. Every planted file is written back from the bytes read before planting, in a finally
clause, and compared afterwards. --tests DIR takes
the mirror's tests/unit and tests/fuzz from DIR/unit and DIR/fuzz instead (an earlier suite kept aside).

Each tally line: NAME<TAB>CAUGHT|missed|BUILD FAILED|NOT FOUND<TAB>failing tests. Full outputs go to
build/faults/logs/<tally name>/NAME.txt.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import time

MAIN = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MIRROR = os.path.join(MAIN, "build", "faults", "tree")
WINE = "--wine" in sys.argv
if WINE:
    MIRROR = os.path.join(MAIN, "build", "faults", "wtree")
PRESET = "win64" if WINE else "host"

T = "toolkit/"
I = "installer/"
FAULTS = [
    # toolkit/utilities/text.cpp
    ("upper-z", T + "utilities/text.cpp", "if (c >= 'a' && c <= 'z')", "if (c >= 'a' && c < 'z')"),
    ("lower-Z", T + "utilities/text.cpp", "if (c >= 'A' && c <= 'Z')", "if (c >= 'A' && c < 'Z')"),
    ("word-ends-at-zero", T + "utilities/text.cpp", "while (j < n && text[j] != ' ') ++j;",
     "while (j < n && text[j] != ' ' && text[j] != '\\0') ++j;"),
    ("justify-centre-rounds-up", T + "utilities/text.cpp", "start = (length - s) / 2;", "start = (length - s + 1) / 2;"),
    ("toint-blank-error", T + "utilities/text.cpp", "if (w.first == w.end) return {0, 10};",
     "if (w.first == w.end) return {0, 12};"),
    ("toint-overflow-limit", T + "utilities/text.cpp", "if (total > 2147483647) return {0, 4};",
     "if (total > 2147483648) return {0, 4};"),
    ("edit-zero-not-blank", T + "utilities/text.cpp",
     "if (magnitude == 0 && edit.minDigits == 0) digits.clear();", ""),
    ("edit-stars-short", T + "utilities/text.cpp", "out.assign(static_cast<std::size_t>(edit.width), '*');",
     "out.assign(static_cast<std::size_t>(edit.width) - 1, '*');"),
    ("edit-result-101", T + "utilities/text.cpp", "constexpr std::size_t kEditResultLength = 100;",
     "constexpr std::size_t kEditResultLength = 101;"),
    ("edit-lowercase-i", T + "utilities/text.cpp", "(s[0] != 'I' && s[0] != 'i')", "(s[0] != 'I')"),
    ("edit-stars-no-error", T + "utilities/text.cpp",
     "if (ok && work.find('*') != std::string::npos && format.find('*') == std::string_view::npos) ok = false;", ""),
    # command line, path texts
    ("cmdline-no-tab", T + "utilities/command_line.cpp", "if (line[i] == ' ' || line[i] == '\\t') {",
     "if (line[i] == ' ') {"),
    ("cmdline-unclosed-cut", T + "utilities/command_line.cpp",
     "if (close == std::string_view::npos) close = line.size();",
     "if (close == std::string_view::npos) close = line.size() - 1;"),
    ("join-after-colon", T + "utilities/path_text.cpp", "path.back() != '\\\\' && path.back() != ':'",
     "path.back() != '\\\\'"),
    ("drive-letter-lower", T + "utilities/path_text.cpp",
     "return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;", "return c;"),
    ("root-share-no-slash", T + "utilities/path_text.cpp", "? path.size() : share + 1;", "? path.size() : share;"),
    ("dirs-double-slash", T + "utilities/path_text.cpp", " && path[at - 1] != '\\\\')", ")"),
    # errors
    ("message-27-char", T + "errors/messages.cpp", "in QGrLoadImage\"}", "in QGrLoadimage\"}"),
    ("message-1007-char", T + "errors/messages.cpp", "{1007, \"Unable to load dialog from resource\"}",
     "{1007, \"Unable to load dialog from resources\"}"),
    ("message-field-tail", T + "errors/messages.cpp",
     "if (field.size() > kMessageLength) FillText(field.subspan(kMessageLength), \"\");", ""),
    ("report-code-columns", T + "errors/messages.cpp", "if (count.size() > 4)\n        line += \"****\";",
     "if (count.size() > 3)\n        line += \"****\";"),
    ("exit-text-4095", T + "errors/error_state.cpp", "significant.substr(0, 4096)", "significant.substr(0, 4095)"),
    ("exit-code-columns", T + "errors/error_state.cpp", "if (count.size() > 4) count = \"****\";",
     "if (count.size() > 5) count = \"****\";"),
    ("errorinfo-not-cleared", T + "errors/error_state.cpp", "    *word = 0;\n", "\n"),
    # configuration
    ("env-debug-9", T + "startup/config.cpp", "marwdebug[0] <= '4'", "marwdebug[0] <= '9'"),
    ("env-blank-ini", T + "startup/config.cpp", "if (marwinit && SignificantLength(marwinit) > 0)",
     "if (marwinit)"),
    ("ini-key-case", T + "startup/config.cpp", "    FixedText<8> name(key.substr(0, 8));\n    QStrUpper(name);\n",
     "    FixedText<8> name(key.substr(0, 8));\n"),
    ("ini-no-version", T + "startup/config.cpp", "if (head.view() == \"VER\") config.versionRequested = true;", ""),
    ("ini-tab-kept", T + "startup/config.cpp", "    for (char& c : line)\n        if (c == '\\t') c = ' ';\n", "\n"),
    ("ini-debug-5", T + "startup/config.cpp", "if (number >= 0 && number <= 4)", "if (number >= 0 && number <= 5)"),
    ("ini-line-171", T + "startup/config.cpp", "std::string line(rawLine.substr(0, kIniLineLength));",
     "std::string line(rawLine.substr(0, kIniLineLength + 1));"),
    ("ini-cr-kept", T + "startup/config.cpp", "if (!line.empty() && line.back() == '\\r') line.pop_back();", ""),
    ("printer-37-refused", T + "startup/config.cpp", "config.printerSetting <= 37", "config.printerSetting < 37"),
    ("chardir-no-backslash", T + "startup/config.cpp", "config.charsetDir.append(\"\\\\\");",
     "config.charsetDir.append(\"\");"),
    # field information, message boxes
    ("checks-two-values", T + "windows/field_info.cpp", "{\"[Checks]\", FieldSection::Checks, 1}",
     "{\"[Checks]\", FieldSection::Checks, 2}"),
    ("fieldinfo-past-zero", T + "windows/field_info.cpp", "    block = block.substr(0, block.find('\\0'));\n", "\n"),
    ("fieldinfo-cr-kept", T + "windows/field_info.cpp",
     "if (!line.empty() && line.back() == '\\r') line.remove_suffix(1);", ""),
    ("fieldinfo-nan", T + "windows/field_info.cpp", " || !std::isfinite(value)) return false;", ") return false;"),
    ("fieldinfo-tab-not-blank", T + "windows/field_info.cpp", "(s.front() == ' ' || s.front() == '\\t')",
     "(s.front() == ' ')"),
    ("msgbox-default-2of2", T + "windows/message_box_style.cpp",
     "if (count == 2) style |= defaultButton == 1 ? kDefault1 : kDefault2;",
     "if (count == 2) style |= defaultButton <= 1 ? kDefault1 : kDefault2;"),
    ("msgbox-information", T + "windows/message_box_style.cpp", "case kIconInformation: style |= kInformation;",
     "case kIconInformation: style |= kInformation >> 1;"),
    ("msgbox-default-3of3", T + "windows/message_box_style.cpp", "defaultButton == 2 ? kDefault2 : kDefault3;",
     "defaultButton == 2 ? kDefault2 : kDefault3 >> 1;"),
    # graphics state
    ("fill-style-minus-3", T + "graphics/graphics_state.cpp", "style < -2 || style > 4", "style < -3 || style > 4"),
    ("area-empty-width", T + "graphics/graphics_state.cpp", "if (!(x2 > x1) || !(y2 > y1) ||",
     "if (!(x2 >= x1) || !(y2 > y1) ||"),
    ("units-no-error", T + "graphics/graphics_state.cpp", "        RaiseError(kErrorUnitRange);\n", "\n"),
    ("text-size-negative", T + "graphics/graphics_state.cpp", "if (heightFactor > 0)", "if (heightFactor != 0)"),
    ("cell-width-76", T + "graphics/graphics_state.cpp", "/ 75.0 * state.widthFactor", "/ 76.0 * state.widthFactor"),
    ("pixel-limit-2^28", T + "graphics/graphics_state.cpp", "kPixelLimit = 1 << 27;", "kPixelLimit = 1 << 28;"),
    ("pixel-y-up", T + "graphics/graphics_state.cpp", "Round(static_cast<double>(area.bottom) - Round(",
     "Round(static_cast<double>(area.bottom) + Round("),
    ("area-top-from-y1", T + "graphics/graphics_state.cpp", "Round((1.0 - state.areaY2) * height)",
     "Round((1.0 - state.areaY1) * height)"),
    ("saturate-nan-low", T + "utilities/saturate.h", "if (v != v) return 0;", "if (v != v) return low;"),
    # picture recognition and decoders
    ("text-line-130", T + "graphics/picture_recognition.cpp", "kTextLineLength = 128;", "kTextLineLength = 130;"),
    ("bytes-before-text", T + "graphics/picture_recognition.cpp",
     "info.type = TextType(start);\n    if (info.type == kPictureUnknown) info.type = ByteType(start);",
     "info.type = ByteType(start);\n    if (info.type == kPictureUnknown) info.type = TextType(start);"),
    ("dxf-blank-kept", T + "graphics/picture_recognition.cpp", "if (TrimBlanksAndCr(first) == \"0\" &&",
     "if (TrimBlanksAndCr(first) == \"0\" && first.starts_with('0') &&"),
    ("pcx-width-no-plus1", T + "graphics/picture_recognition.cpp", "info.width = S16(b, 8) - S16(b, 4) + 1;",
     "info.width = S16(b, 8) - S16(b, 4);"),
    ("bmp-bitfields-compressed", T + "graphics/picture_recognition.cpp",
     "(compression == 0 || compression == 3) ? 0 : 1", "compression == 0 ? 0 : 1"),
    ("recognise-size-3", T + "graphics/picture_recognition.cpp", "if (fileSize < 4) return info;",
     "if (fileSize < 3) return info;"),
    ("picture-file-limit", T + "graphics/picture_recognition.cpp", "return fileSize <= kMaxPictureFileBytes;",
     "return fileSize < kMaxPictureFileBytes;"),
    ("bitfield-no-rounding", T + "graphics/picture_bmp.cpp", "((value * 255 + maximum / 2) / maximum)",
     "((value * 255) / maximum)"),
    ("bmp4-nibbles-swapped", T + "graphics/picture_bmp.cpp", "bmp.palette[(row[x / 2] >> (x % 2 ? 0 : 4)) & 15]",
     "bmp.palette[(row[x / 2] >> (x % 2 ? 4 : 0)) & 15]"),
    ("rle-delta-x", T + "graphics/picture_bmp.cpp", "            x += data[p];\n",
     "            x += data[p] + 1;\n"),
    ("rle-absolute-unpadded", T + "graphics/picture_bmp.cpp", "p += bytes + bytes % 2;", "p += bytes;"),
    ("rle4-run-nibbles", T + "graphics/picture_bmp.cpp", "(i % 2 ? value & 15 : value >> 4)",
     "(i % 2 ? value >> 4 : value & 15)"),
    ("rle8-top-down", T + "graphics/picture_bmp.cpp", "case kBiRle8: known = bpp == 8 && !bmp.topDown;",
     "case kBiRle8: known = bpp == 8;"),
    ("bmp-offset-beyond-27", T + "graphics/picture_bmp.cpp",
     "if (offBits > file.size()) return kPictureReadError;",
     "if (offBits > file.size()) return kPictureUnsupported;"),
    ("bmp-used-0", T + "graphics/picture_bmp.cpp", "if (used != 0 && used < entries)", "if (used < entries)"),
    ("bmp-last-row-padded", T + "graphics/picture_bmp.cpp", "< stride * (bmp.height - 1) + lastRow)",
     "< stride * (bmp.height - 1) + lastRow + (stride - lastRow))"),
    ("bmp32-default-masks", T + "graphics/picture_bmp.cpp",
     "bmp.fields = {Channel(0xFF0000), Channel(0xFF00), Channel(0xFF)};",
     "bmp.fields = {Channel(0xFF), Channel(0xFF00), Channel(0xFF0000)};"),
    ("pixel-count-limit", T + "graphics/picture_bytes.h", " &&\n           width * height <= kMaxPicturePixels;",
     ";"),
    ("pcx-run-5-bits", T + "graphics/picture_pcx.cpp", "runLeft_ = b & 0x3F;", "runLeft_ = b & 0x1F;"),
    ("pcx-palette-mark", T + "graphics/picture_pcx.cpp", "file[file.size() - kPcxPaletteSize] == 0x0C;",
     "file[file.size() - kPcxPaletteSize] == 0x0D;"),
    ("pcx-mono-inverted", T + "graphics/picture_pcx.cpp", "palette.colours = {kBlack, 0xFFFFFF};",
     "palette.colours = {0xFFFFFF, kBlack};"),
    ("pcx-2bit-order", T + "graphics/picture_pcx.cpp", "(6 - 2 * (bit % 4))", "(2 * (bit % 4))"),
    ("pcx-uncompressed", T + "graphics/picture_pcx.cpp", "    if (file[2] != 1) return kPictureUnsupported;", ""),
    ("pcx-5-planes", T + "graphics/picture_pcx.cpp", "planes >= 1 && planes <= 4", "planes >= 1 && planes <= 5"),
    ("pcx-line-short", T + "graphics/picture_pcx.cpp", "if (bytesPerLine < (width * bpp + 7) / 8)",
     "if (bytesPerLine < (width * bpp + 7) / 8 - 1)"),
    ("pcx-24-swapped", T + "graphics/picture_pcx.cpp",
     "Rgb(line[bit], line[bytesPerLine + bit], line[2 * bytesPerLine + bit])",
     "Rgb(line[2 * bytesPerLine + bit], line[bytesPerLine + bit], line[bit])"),
    # installer: log, pass, text scanning
    ("log-hour-unpadded", I + "driver/install_log_core.cpp", "Place(text, 51, hour, \"(I2.2)\", 2);",
     "Place(text, 51, hour, \"(I2)\", 2);"),
    ("log-month-place", I + "driver/install_log_core.cpp", "text.replace(62, 3,", "text.replace(63, 3,"),
    ("log-unfinished-blank", I + "driver/install_log_core.cpp",
     "if (code != kLogText && code != kLogUnfinished)", "if (code != kLogText)"),
    ("log-copy-error-case", I + "driver/messages.h", "\"** Error When Copying\"", "\"** Error when Copying\""),
    ("log-summary-right", I + "driver/install_log_core.cpp", "    QStrJustify(count, \"L\");\n", "\n"),
    ("redraw-no-banner", I + "driver/install_pass_core.cpp",
     "            if (!TheInstallState().bannerPath.blank()) s.ShowBanner();\n", "\n"),
    ("cancel-default-yes", I + "driver/install_pass_core.cpp", "s.Ask(kButtonsYesNo, kIconQuestion, 2,",
     "s.Ask(kButtonsYesNo, kIconQuestion, 1,"),
    ("mkdir-existing", I + "driver/install_pass_core.cpp",
     "    if (s.DirectoryExists(path.trimmed())) return true;\n", "\n"),
    ("copy-name-keeps-slash", I + "driver/install_pass_core.cpp", "expanded.substr(slash + 1)", "expanded.substr(slash)"),
    ("copy-bytes-not-counted", I + "driver/install_pass_core.cpp", "            state.bytesDone += size;\n", "\n"),
    ("diskfull-no-error", I + "driver/install_pass_core.cpp",
     "if (s.SourceExceedsFreeSpace(source)) {\n            ++state.copyErrors;\n",
     "if (s.SourceExceedsFreeSpace(source)) {\n"),
    ("progress-zero-scale", I + "driver/install_pass_core.cpp",
     "    if (!(progressScale > 0)) return 0;  // nothing was counted: the bar stays empty\n", "\n"),
    ("pass-outside-file-section", I + "driver/install_pass_core.cpp",
     "        if (sectionKind != kSectionFile) continue;\n", "\n"),
    ("chdir-missing-goes-on", I + "driver/install_pass_core.cpp",
     "    if (s.DirectoryExists(TheInstallState().targetDir.trimmed())) return true;\n    Stop(s, kReadError, kAborting);\n    return false;",
     "    s.DirectoryExists(TheInstallState().targetDir.trimmed());\n    return true;"),
    ("token-skips-delimiter", I + "system/text_scan.cpp", "g_nextTokenAt = end + 1;", "g_nextTokenAt = end;"),
    ("lastchar-misses-first", I + "system/text_scan.cpp",
     "        if (*p == c) return p;\n        if (p == text) return nullptr;",
     "        if (p == text) return nullptr;\n        if (*p == c) return p;"),
    ("span-one-delimiter", I + "system/text_scan.cpp", "while (text[n] != '\\0' && InSet(text[n], set)) ++n;",
     "if (text[n] != '\\0' && InSet(text[n], set)) ++n;"),
    # installer: system lines and steps
    ("assoc-quotes-swapped", I + "system/system_lines.cpp", "(win32s ? command : '\"' + command + '\"')",
     "(win32s ? '\"' + command + '\"' : command)"),
    ("assoc-type-File", I + "system/system_lines.cpp", "))) + \"file\";", "))) + \"File\";"),
    ("additem-case", I + "system/system_lines.cpp", "\"[Additem(\\\"\"", "\"[AddItem(\\\"\""),
    ("group-slot-overflow", I + "system/system_lines.cpp", "if (length >= kSlotBytes || slots_.size() == kSlots) continue;",
     "if (length > kSlotBytes || slots_.size() == kSlots) continue;"),
    ("group-slots-1001", I + "system/system_lines.cpp",
     "if (length >= kSlotBytes || slots_.size() == kSlots) continue;",
     "if (length >= kSlotBytes || slots_.size() > kSlots) continue;"),
    ("group-case-sensitive", I + "system/system_lines.cpp",
     "if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;", "if (LowerAscii(a[i]) != b[i]) return false;"),
    ("extend-separator-after", I + "system/system_lines.cpp", "value[from] == ';') {", "value[from] == ',') {"),
    ("extend-separator-before", I + "system/system_lines.cpp", "            result.pop_back();\n", "\n"),
    ("marker-79", I + "system/system_lines.cpp", "marker.resize(80, ' ');", "marker.resize(79, ' ');"),
    ("marker-century", I + "system/system_lines.cpp", "TwoDigits(year / 100)", "TwoDigits(year / 10)"),
    ("assoc-dot-only", I + "system/system_lines.cpp", "extension.starts_with('.') ? 1 : 0", "0"),
    ("variable-without-equals", I + "system/system_lines.cpp",
     "return equals == std::string_view::npos || !TrimmedText", "return equals != std::string_view::npos && !TrimmedText"),
    ("reference-at-end", I + "system/system_lines.cpp", "at + reference.size() <= value.size()",
     "at + reference.size() < value.size()"),
    ("skipped-text", I + "driver/messages.h", "\"** Skipped, fields missing: @ @\"", "\"** Skipped, field missing: @ @\""),
    ("shortcut-blank-command", I + "system/system_lines.cpp",
     "return !fields[0].trimmed().empty() && !fields[1].trimmed().empty();", "return !fields[0].trimmed().empty();"),
    ("block-after-cr", I + "system/system_steps_core.cpp", "result.back() != '\\n' ? \"\\r\\n\"",
     "result.back() != '\\r' ? \"\\r\\n\""),
    ("copy-deleted-too-soon", I + "system/system_steps_core.cpp",
     "if (added || WriteWhole(s, path, old)) s.Delete(copy);", "s.Delete(copy);"),
    ("copy-kept-after-restore", I + "system/system_steps_core.cpp",
     "if (added || WriteWhole(s, path, old)) s.Delete(copy);", "if (added) s.Delete(copy);"),
    ("autoexec-read-only", I + "system/system_steps_core.cpp", "if (!s.FileExists(path) || s.ReadOnly(path)) continue;",
     "if (!s.FileExists(path)) continue;"),
    ("variables-header-line", I + "system/system_steps_core.cpp", "if (count <= 3) continue;", "if (count < 3) continue;"),
    ("nt-empty-value-set", I + "system/system_steps_core.cpp", "                if (value.empty()) continue;\n", "\n"),
    ("nt-no-announce", I + "system/system_steps_core.cpp", "        s.AnnounceEnvironment();\n", "\n"),
    ("begin-twice", I + "system/system_steps_core.cpp", "if (count > 0) return true;", "if (count > 1) return true;"),
    ("shortcut-header-2", I + "system/system_steps_core.cpp", "for (int i = 0; i < 3; ++i) ReadScriptLine",
     "for (int i = 0; i < 2; ++i) ReadScriptLine"),
    ("regedit-unquoted", I + "system/system_steps_core.cpp", "(s.ShortPath(path))) + \"\\\"\")) {",
     "(s.ShortPath(path))))) {"),
    ("temporaries-kept", I + "system/system_steps_core.cpp", "        if (s.FileExists(path)) s.Delete(path);\n",
     "        if (!s.FileExists(path)) s.Delete(path);\n"),
    ("nt-failed-value-ok", I + "system/system_steps_core.cpp",
     "if (!name.empty() && !s.SetEnvironmentValue(name, value)) allSet = false;",
     "if (!name.empty()) s.SetEnvironmentValue(name, value);"),
    ("shortcuts-failure-logged-added", I + "system/system_steps_core.cpp",
     "        s.Tell(kIconInformation, kShortcutsFailed, kInstallationError);\n        s.Log(kShortcutsFailed);\n        return;\n",
     "        s.Tell(kIconInformation, kShortcutsFailed, kInstallationError);\n"),
    # installer: script lines, parser, reader
    ("placeholder-case", I + "script/script_lines.cpp", "LowerLetter(text[i + k]) == kPlaceholder[k]",
     "LowerLetter(text[i + k]) == kPlaceholder[k] && text[i + k] == kPlaceholder[k]"),
    ("placeholder-no-backup", I + "script/script_lines.cpp",
     "from = dir.empty() ? at - std::min(at, kPlaceholder.size() - 1) : at + dir.size();",
     "from = dir.empty() ? at : at + dir.size();"),
    ("placeholder-again", I + "script/script_lines.cpp",
     "from = dir.empty() ? at - std::min(at, kPlaceholder.size() - 1) : at + dir.size();",
     "from = dir.empty() ? at - std::min(at, kPlaceholder.size() - 1) : at;"),
    ("defdir-trailing-slash", I + "script/script_lines.cpp",
     "    if (!dir.empty() && dir.back() == '\\\\') dir.remove_suffix(1);\n", "\n"),
    ("quoted-argument-quote", I + "script/script_lines.cpp", "FillText(argument, text.substr(1, close - 1));",
     "FillText(argument, text.substr(1, close));"),
    ("subdir-no-backslash", I + "script/script_lines.cpp", "        if (sub.back() != '\\\\') sub.push_back('\\\\');\n",
     "\n"),
    ("bar-fields-unjustified", I + "script/script_lines.cpp", "        QStrJustify(fields[k], \"L\");\n", "\n"),
    ("colour-256", I + "script/script_lines.cpp", "value < 0 || value > 255", "value < 0 || value > 256"),
    ("colour-old-error", I + "script/script_lines.cpp", "    QErrorInfo(1);\n    int32_t values[3] = {};",
     "    int32_t values[3] = {};"),
    ("section-keeps-banner", I + "script/script_lines.cpp", "    TheInstallState().bannerPath.clear();\n", "\n"),
    ("section-keeps-continuation", I + "script/script_lines.cpp", "    continuation = false;\n", "    (void)continuation;\n"),
    ("keyword-case", I + "script/script_lines.cpp", "    QStrLower(keyword);\n", "\n"),
    ("page-name-case", I + "script/script_lines.cpp", "    QStrLower(name);\n", "\n"),
    ("defdest-double-slash", I + "script/script_parser_core.cpp", "    if (d[0] == '\\\\') d.remove_prefix(1);\n", "\n"),
    ("defdest-own-drive", I + "script/script_parser_core.cpp", "    if (d[1] == ':') d.remove_prefix(2);\n", "\n"),
    ("scale-65536", I + "script/script_parser_core.cpp", "static_cast<float>(state.bytesDone) / 65535.0f",
     "static_cast<float>(state.bytesDone) / 65536.0f"),
    ("message-lf-only", I + "script/script_parser_core.cpp", "continuation ? \"\\r\\n\" : \"\"", "continuation ? \"\\n\" : \"\""),
    ("font-0", I + "script/script_parser_core.cpp", "StoreInRange(rest, 1, 8, general.font)",
     "StoreInRange(rest, 0, 8, general.font)"),
    ("background-4", I + "script/script_parser_core.cpp", "StoreInRange(rest, 0, 3, general.backgroundStyle)",
     "StoreInRange(rest, 0, 4, general.backgroundStyle)"),
    ("page-0-written", I + "script/script_parser_core.cpp", "    if (position.page == 0) return;\n", "\n"),
    ("file-message-no-continuation", I + "script/script_parser_core.cpp",
     "    case kKeywordMessage: position.continuation = true; return true;\n",
     "    case kKeywordMessage: (void)position; return true;\n"),
    ("bytes-not-reset", I + "script/script_parser_core.cpp", "    TheInstallState().bytesDone = 0;\n", "\n"),
    ("missing-copy-goes-on", I + "script/script_parser_core.cpp",
     "            if (!ApplyFileLine(word, line, position, services)) return false;\n",
     "            ApplyFileLine(word, line, position, services);\n"),
    ("reader-lone-cr-dropped", I + "script/script_reader.cpp", "        if (pendingReturn) store('\\r');\n", "\n"),
    ("reader-no-eof-mark", I + "script/script_reader.cpp",
     "if (line[0] == static_cast<char>(kEndOfScriptMark))",
     "if (line[0] == static_cast<char>(kEndOfScriptMark) && line[1] == ' ')"),
    ("reader-final-cr-line", I + "script/script_reader.cpp", "if (count == 0 && !pendingReturn)", "if (count == 0)"),
    # installer: bands, directory names, picture placement
    ("band-no-rounding", I + "ui/band_colours.cpp", " * static_cast<float>(k) + 0.5f);", " * static_cast<float>(k));"),
    ("band-zero-bands", I + "ui/band_colours.cpp", "bands > 0 ?", "bands >= 0 ?"),
    ("band-blue-from-green", I + "ui/band_colours.cpp", "BandComponent(start.blue, end.blue, bands, k)",
     "BandComponent(start.green, end.green, bands, k)"),
    ("dirname-bar", I + "ui/directory_rules.cpp", "\"/*?\\\"<>|\"", "\"/*?\\\"<>\""),
    ("dirname-colon-first", I + "ui/directory_rules.cpp", "return colon == 1 &&", "return colon <= 1 &&"),
    ("dirname-256", I + "ui/directory_rules.cpp", "kMaxSystemPathLength = 255;", "kMaxSystemPathLength = 256;"),
    ("picture-centre-04", I + "pages/picture_placement.cpp", "y0 = (1.0f - fy) * 0.5f;", "y0 = (1.0f - fy) * 0.4f;"),
    ("picture-negative-height", I + "pages/picture_placement.cpp", "h = std::abs(int64_t{height});",
     "h = int64_t{height};"),
    ("picture-wide-not-scaled", I + "pages/picture_placement.cpp", "        fy = fy / fx;\n", "\n"),
    ("picture-tall-threshold", I + "pages/picture_placement.cpp", "} else if (fy > 0.8f) {", "} else if (fy > 0.9f) {"),
    # tools
    ("lz-header-text", "tools/lzcompress/lz_compress.cpp", "\" of 14 bytes\"", "\" of 14 byte\""),
    ("lzx-cut-match-short", I + "system/lz_expand.cpp", "at + 1 == size) return end(LzOutcome::kCutMatch);",
     "at + 1 == size) return end(LzOutcome::kShort);"),
    ("lzx-length-2", I + "system/lz_expand.cpp", "(hi & 0x0F) + 3", "(hi & 0x0F) + 2"),
    ("lzx-ring-start", I + "system/lz_expand.cpp", "kFirstRingPosition = 0xFF0;", "kFirstRingPosition = 0xFF1;"),
    ("lzx-high-bits", I + "system/lz_expand.cpp", "(hi & 0xF0) << 4", "(hi & 0x70) << 4"),
    ("lz-high-bits", "tools/lzcompress/lz_compress.cpp", "((from >> 4) & 0xF0)", "((from >> 4) & 0x70)"),
    ("lz-ring-start", "tools/lzcompress/lz_compress.cpp", "kFirstRingPos = 0xFF0;", "kFirstRingPos = 0xFF1;"),
    ("lz-match-bits", "tools/lzcompress/lz_compress.cpp", "kMatchBits = 17;", "kMatchBits = 18;"),
    ("lz-window-short", "tools/lzcompress/lz_compress.cpp",
     "const int32_t oldest = static_cast<int32_t>(pos > kWindow ? pos - kWindow : 0);\n        const uint64_t key",
     "const int32_t oldest = static_cast<int32_t>(pos > kWindow ? pos - kWindow + 1 : 0);\n        const uint64_t key"),
    ("lzx-longer-than-header", I + "system/lz_expand.cpp", "total > result.length ? LzOutcome::kLong",
     "total > result.length + 1 ? LzOutcome::kLong"),
    ("lz-mode-text", "tools/lzcompress/lz_compress.cpp", "\"unknown compression mode \"", "\"unknown compression mode: \""),
    ("lz-tail-not-searched", "tools/lzcompress/lz_compress.cpp",
     "        for (std::size_t from = inTree; from < pos && best < limit; ++from) {",
     "        for (std::size_t from = inTree; from < inTree && best < limit; ++from) {"),
    ("pe-no-pe32plus", "tools/pecheck/pe_file.cpp", "(magic != 0x10B && magic != 0x20B)", "(magic != 0x10B)"),
    ("pe-stripped-bit", "tools/pecheck/pe_file.cpp", "(characteristics & 0x0001) != 0", "(characteristics & 0x0002) != 0"),
    ("pe-ordinal-byte", "tools/pecheck/pe_file.cpp", "import.ordinal = static_cast<uint16_t>(entry & 0xFFFF);",
     "import.ordinal = static_cast<uint16_t>(entry & 0xFF);"),
    ("pe-tls-list-offset", "tools/pecheck/pe_file.cpp", ": v.U32(at + 12);", ": v.U32(at + 16);"),
    ("pe-raw-size-ignored", "tools/pecheck/pe_file.cpp", " && rva - s.address < s.rawSize) {", ") {"),
    ("pe-delay-flag", "tools/pecheck/pe_file.cpp", "ReadThunks(image, namesField - base, dll, pe32Plus, true,",
     "ReadThunks(image, namesField - base, dll, pe32Plus, false,"),
    ("pe-cut-list-text", "tools/pecheck/pe_file.cpp", "\" is cut off\");\n        if (entry == 0)",
     "\" is cut short\");\n        if (entry == 0)"),
    ("pe-mz-check", "tools/pecheck/pe_file.cpp", "bytes[0] != 'M' || bytes[1] != 'Z'", "bytes[0] != 'M'"),
    ("check-gui-subsystem", "tools/pecheck/pe_check.cpp", "pe.subsystem != 2", "pe.subsystem != 3"),
    ("check-delay-text", "tools/pecheck/pe_check.cpp", "\" (delay-loaded)\"", "\" (delay loaded)\""),
    ("check-same-version-newer", "tools/pecheck/pe_check.cpp", "minor > system.versionMinor);",
     "minor >= system.versionMinor);"),
    ("check-relocation-bytes", "tools/pecheck/pe_check.cpp", "(pe.relocationsStripped || pe.relocationBytes == 0)",
     "(pe.relocationsStripped)"),
    ("check-ordinal-at", "tools/pecheck/pe_check.cpp", "contains(\"@\" + std::to_string(import.ordinal))",
     "contains(std::to_string(import.ordinal))"),
    ("check-subsystem-low", "tools/pecheck/pe_check.cpp", "(pe.subsystemMajor == 3 && pe.subsystemMinor < 10)",
     "(pe.subsystemMajor == 3 && pe.subsystemMinor < 1)"),
    # added while condensing: behaviours of rows no earlier fault reached
    ("toint-sign", T + "utilities/text.cpp", "negative = word[0] == '-';", "negative = false;"),
    ("edit-min-digits-blank", T + "utilities/text.cpp", "- digits.size(), '0') + digits;", "- digits.size(), ' ') + digits;"),
    ("brackets-keeps-last", T + "utilities/path_text.cpp", "item.substr(1, item.size() - 2)", "item.substr(1, item.size() - 1)"),
    ("message-lookup-next", T + "errors/messages.cpp", "if (it == std::end(kMessages) || it->code != code)",
     "if (it == std::end(kMessages))"),
    ("message-lookup-end", T + "errors/messages.cpp", "if (it == std::end(kMessages) || it->code != code)",
     "if (it->code != code)"),
    ("saturate-low-high", T + "utilities/saturate.h", "if (v <= low) return low;", "if (v <= low) return high;"),
    ("saturate-high-low", T + "utilities/saturate.h", "if (v >= high) return high;", "if (v >= high) return low;"),
    ("fill-style-minus-2", T + "graphics/graphics_state.cpp", "style < -2 || style > 4", "style < -1 || style > 4"),
    ("fill-style-4", T + "graphics/graphics_state.cpp", "style < -2 || style > 4", "style < -2 || style >= 4"),
    ("fill-style-5", T + "graphics/graphics_state.cpp", "style < -2 || style > 4", "style < -2 || style > 5"),
    ("area-inside-low", T + "graphics/graphics_state.cpp", "return v >= 0.0f && v <= 1.0f;", "return v >= -0.5f && v <= 1.0f;"),
    ("area-inside-high", T + "graphics/graphics_state.cpp", "return v >= 0.0f && v <= 1.0f;", "return v >= 0.0f && v <= 1.5f;"),
    ("ini-equals-169", T + "startup/config.cpp", "equals + 1 >= kIniLineLength", "equals + 2 >= kIniLineLength"),
    ("bmp-colours-bits", T + "graphics/picture_recognition.cpp", "info.colours = PowerOfTwo(S16(b, 28));",
     "info.colours = PowerOfTwo(S16(b, 28) - 1);"),
    ("bmp-not-bm-accepted", T + "graphics/picture_bmp.cpp", "if (!Matches(file, 0, \"BM\")) return kPictureUnsupported;",
     "if (!Matches(file, 0, \"B\")) return kPictureUnsupported;"),
    ("bmp-2-bits", T + "graphics/picture_bmp.cpp", "known = bpp == 1 || bpp == 4", "known = bpp == 1 || bpp == 2 || bpp == 4"),
    ("limits-negative-width", T + "graphics/picture_bytes.h", "return width > 0 && height > 0 &&", "return height > 0 &&"),
    ("bmp-height-int-min", T + "graphics/picture_bmp.cpp", "? -int64_t{storedHeight} :", "? int64_t{-storedHeight} :"),
    ("bmp-top-down-ignored", T + "graphics/picture_bmp.cpp", "(bmp.topDown ? r : bmp.height - 1 - r)",
     "(bmp.height - 1 - r)"),
    ("rle-rows-missing-ok", T + "graphics/picture_bmp.cpp",
     "        if (!Has(data, p, 2)) return kPictureReadError;\n        const uint32_t count",
     "        if (!Has(data, p, 2)) return 0;\n        const uint32_t count"),
    ("rle-absolute-unchecked", T + "graphics/picture_bmp.cpp", "            if (!Has(data, p, bytes)) return kPictureReadError;\n",
     "\n"),
    ("pcx-not-10", T + "graphics/picture_pcx.cpp", "    if (file[0] != 10) return kPictureUnsupported;\n", "\n"),
    ("pcx-run-cut-unchecked", T + "graphics/picture_pcx.cpp",
     "            if (pos_ >= data_.size()) return false;\n            runLeft_", "            runLeft_"),
    ("keyword-prefix", I + "script/script_lines.cpp", "if (TrimmedText(kKeywordTable[i].keyword) == word)",
     "if (word.starts_with(TrimmedText(kKeywordTable[i].keyword)))"),

    ("page-name-field-262", I + "script/script_lines.cpp", "FixedText<261> name(rest);", "FixedText<262> name(rest);"),
    ("bytes-32-bit", I + "script/script_parser_core.cpp", "    state.bytesDone += size;\n",
     "    state.bytesDone = static_cast<int32_t>(state.bytesDone + size);\n"),
    ("reader-line-1023", I + "script/script_reader.cpp", "if (count < kScriptLineLength) line[count] = c;",
     "if (count < kScriptLineLength - 1) line[count] = c;"),
    ("script-read-error-text", I + "driver/messages.h", "\"Error when reading from install script\"",
     "\"Error when reading the install script\""),
    ("append-one-more", T + "utilities/fixed_text.h", "std::size_t n = std::min(N - at, value.size());",
     "std::size_t n = std::min(N - at + (at < N), value.size());"),
    ("assoc-dot-added", I + "system/system_lines.cpp",
     "    if (extension[0] != '.') extension.assign(\".\" + std::string(extension.view()));  // the last character drops off\n",
     "\n"),
    ("assoc-name-substituted", I + "system/system_lines.cpp", "SplitBarFields(arguments, fields, {false, false, true}, 3);",
     "SplitBarFields(arguments, fields, {false, true, true}, 3);"),
    ("block-no-line-end", I + "system/system_steps_core.cpp",
     "inserted = !result.empty() && result.back() != '\\n' ? \"\\r\\n\" : \"\";", "inserted = \"\";"),
    ("block-empty-file", I + "system/system_steps_core.cpp", "inserted = !result.empty() && result.back() != '\\n'",
     "inserted = result.back() != '\\n'"),
    ("block-at-end", I + "system/system_steps_core.cpp",
     "const std::size_t mark = std::min(autoexec.find('\\x1A'), autoexec.size());", "const std::size_t mark = autoexec.size();"),
    ("block-last-mark", I + "system/system_steps_core.cpp", "std::min(autoexec.find('\\x1A')", "std::min(autoexec.rfind('\\x1A')"),
    ("copy-failure-ignored", I + "system/system_steps_core.cpp",
     "    if (!WriteWhole(s, copy, old)) {\n        s.Delete(copy);\n        return false;\n    }",
     "    if (!WriteWhole(s, copy, old)) s.Delete(copy);"),
    ("charset-to-plname", T + "startup/config.cpp", "case IniKey::CharSet: config.charsetFile.assign(value); break;",
     "case IniKey::CharSet: config.plotterFile.assign(value); break;"),
    ("menu-items-count", T + "windows/field_info.cpp", "SaturatingInt32(entry.values[0], 0, kMaxItems)",
     "SaturatingInt32(entry.values[1], 0, kMaxItems)"),
    ("saturate-rounds", T + "utilities/saturate.h", "    return static_cast<int32_t>(v);\n",
     "    return static_cast<int32_t>(v + (v < 0 ? -0.5 : 0.5));\n"),
    ("lz-window-long", "tools/lzcompress/lz_compress.cpp",
     "const int32_t oldest = static_cast<int32_t>(pos > kWindow ? pos - kWindow : 0);\n        const uint64_t key",
     "const int32_t oldest = static_cast<int32_t>(pos > kWindow ? pos - kWindow - 1 : 0);\n        const uint64_t key"),
    ("lz-no-blank-starts", "tools/lzcompress/lz_compress.cpp", "first == kWindow ? kWindow - kMaxMatch : first - kWindow;",
     "first == kWindow ? kWindow : first - kWindow;"),
    ("check-os-text", "tools/pecheck/pe_check.cpp", "\"the header asks for Windows \"", "\"the header asks for Windows version \""),
    ("pixel-x-origin", T + "graphics/graphics_state.cpp", "const double t = (double{x} - state.unitX1)", "const double t = (double{x})"),
    ("bmp16-default-masks", T + "graphics/picture_bmp.cpp", "Channel(0x7C00), Channel(0x03E0), Channel(0x001F)",
     "Channel(0x7C00), Channel(0x07E0), Channel(0x001F)"),
    ("bmp-masks-offset", T + "graphics/picture_bmp.cpp", "Channel(U32(file, 58))", "Channel(U32(file, 54))"),
    ("pcx-recognise-needs-4", T + "graphics/picture_recognition.cpp", "Has(b, 2, 1) && b[2] == 1", "Has(b, 2, 2) && b[2] == 1"),
    ("cmdline-quote-resume", T + "utilities/command_line.cpp", "            i = close + 1;\n", "            i = close;\n"),
    ("text-width-ignored", T + "graphics/graphics_state.cpp", "if (widthFactor > 0) state.widthFactor",
     "if (widthFactor > 1e9f) state.widthFactor"),
    ("page-banner-dropped", I + "script/script_parser_core.cpp", "        text.hasPicture = true;\n", "\n"),
    # added with the mended tests: a message no row pinned, messages shown only by the Windows side, a loop that
    # never ends (the test run's time-out ends it), and the compressor's split between its two threads
    ("message-13-text", T + "errors/messages.cpp", "command error in an OS routine", "command error in a OS routine"),
    ("message-media-text", I + "driver/messages.h", "error or faulty media", "error or faulty medium"),
    ("message-log-text", I + "driver/messages.h", "\"Unable to open a log file\"", "\"Unable to open the log file\""),
    ("dirs-same-backslash-again", T + "utilities/path_text.cpp", "at = path.find('\\\\', at + 1))",
     "at = path.find('\\\\', at))"),
    ("lz-seam-window", "tools/lzcompress/lz_compress.cpp", "? kWindow - kMaxMatch : first - kWindow;",
     "? kWindow - kMaxMatch : first;"),
    # the installation's record and the uninstaller's decisions
    ("record-backslash-raw", I + "system/undo_record.cpp", "out.append(\"\\\\\\\\\");", "out.push_back(c);"),
    ("record-escape-31", I + "system/undo_record.cpp", "} else if (byte < 32) {", "} else if (byte < 31) {"),
    ("record-unescape-bound", I + "system/undo_record.cpp", "if (i + 3 >= text.size() ||", "if (i + 3 > text.size() ||"),
    ("record-empty-number", I + "system/undo_record.cpp", "return !field.empty() && error", "return error"),
    ("record-value-fields", I + "system/undo_record.cpp", "case UndoKind::kValue: return 6;", "case UndoKind::kValue: return 5;"),
    ("record-time-digits", I + "system/undo_record.cpp", "fields[2].size() == 16 &&", ""),
    ("record-absent-dash", I + "system/undo_record.cpp", ": \"-\";\n}", ": \"\";\n}"),
    ("block-exact-skipped", I + "system/undo_record.cpp", "!text.empty() && at != std::string::npos", "false"),
    ("block-end-anywhere", I + "system/undo_record.cpp", "FindLine(autoexec, kEndMarker, start)", "FindLine(autoexec, kEndMarker, 0)"),
    ("block-keeps-end-line", I + "system/undo_record.cpp", "autoexec.erase(start, LineEnd(autoexec, end) - start);",
     "autoexec.erase(start, end - start);"),
    ("undo-time-ignored", "uninstaller/undo_core.cpp", "if (size != e.size || time != e.time)", "if (size != e.size)"),
    ("undo-value-changed-ignored", "uninstaller/undo_core.cpp", "if (now != e.after) return Add(UndoResult::kKept, what, kChanged);", ""),
    ("undo-key-not-empty", "uninstaller/undo_core.cpp", "if (!s_.KeyEmpty(e.root, e.path))", "if (false)"),
    ("undo-self-despite-failure", "uninstaller/undo_core.cpp", "        if (failed_) {\n", "        if (false) {\n"),
    ("undo-self-first-entry", "uninstaller/undo_core.cpp", "if (--selfEntries_ == 0) Self(e.path);", "Self(e.path);"),
    ("undo-oldest-first", "uninstaller/undo_core.cpp", "for (auto e = entries.rbegin(); e != entries.rend(); ++e)",
     "for (auto e = entries.begin(); e != entries.end(); ++e)"),
    ("undo-dry-run-acts", "uninstaller/undo_core.cpp", "if (dry_) return Add(UndoResult::kPlanned, std::move(what), {}, putBack);", ""),
    ("undo-later-not-empty", "uninstaller/undo_core.cpp", "s_.DirectoryEmpty(e.path, selfPath_.substr(selfPath_.rfind('\\\\') + 1)) &&", ""),
    ("undo-item-failure", "uninstaller/undo_core.cpp", "Add(UndoResult::kKept, what, \"Program Manager did not remove it: it may be gone already\");",
     "Add(UndoResult::kFailed, what, \"Program Manager did not remove it: it may be gone already\");"),
    ("undo-group-with-items", "uninstaller/undo_core.cpp", "if (state == UndoServices::Group::kItems)", "if (false)"),
    ("undo-put-back-verb", "uninstaller/undo_core.cpp", "verb = line.putBack ? \"Put back: \" : \"Removed: \";", "verb = \"Removed: \";"),
    ("undo-header-line", "uninstaller/undo_core.cpp", "if (!text.starts_with(kUndoRecordHeader)) return false;", ""),
    # the linter and mkmedia
    ("lint-message-in-file", "tools/lintlst/lint_script.cpp", "case kKeywordMessage: return section == kSectionGeneral || section == kSectionPage;",
     "case kKeywordMessage: return true;"),
    ("lint-font-range-9", "tools/lintlst/lint_script.cpp", "Number(rest, 1, 8, \"the font\")", "Number(rest, 1, 9, \"the font\")"),
    ("lint-abc-not-taken", "tools/lintlst/lint_script.cpp", "const bool taken = 0 >= low && 0 <= high;", "const bool taken = false;"),
    ("lint-even-quotes-warned", "tools/lintlst/lint_script.cpp", "std::count(rest.begin(), rest.end(), '\"') % 2 != 0", "true"),
    ("lint-defdir-everywhere", "tools/lintlst/lint_script.cpp", "if (number != kKeywordAssociate && number != kKeywordVariable && number != kKeywordProgram &&",
     "if (number != kKeywordAssociate && number != kKeywordVariable &&"),
    ("lint-mkdir-case", "tools/lintlst/lint_script.cpp", "!made_.contains(Upper(dir.substr(0, slash)))", "!made_.contains(dir.substr(0, slash))"),
    ("lint-chdir-trailing-slash", "tools/lintlst/lint_script.cpp", "        while (dir.ends_with('\\\\')) dir.pop_back();\n        subDir_", "        subDir_"),
    ("lint-copy-twice-silent", "tools/lintlst/lint_script.cpp", "if (const auto [at, fresh] = copiedTo_.emplace(key, number_); !fresh)",
     "if (const auto [at, fresh] = copiedTo_.emplace(key, number_); false)"),
    ("lint-long-line-1023", "tools/lintlst/lint_script.cpp", "if (text_.size() > kScriptLineLength)", "if (text_.size() >= kScriptLineLength)"),
    ("lint-column-from-0", "tools/lintlst/lint_script.cpp", "at == std::string::npos ? 1 : at + 1", "at == std::string::npos ? 1 : at"),
    ("mkmedia-no-uninst", "tools/mkmedia/main.cpp", "    if (fs::is_regular_file(uninstaller))\n        written",
     "    if (false)\n        written"),
    ("mkmedia-force-ignored", "tools/mkmedia/main.cpp", "force = true;", "force = false;"),
    ("mkmedia-partial-left", "tools/mkmedia/main.cpp", "    if (run.errors > 0) {\n        fs::remove_all(temporary, error);", "    if (run.errors > 0) {\n"),
    ("mkmedia-picture-unchecked", "tools/mkmedia/main.cpp", "f.picture && !path.empty() && !(ReadWhole(path, picture) && Drawable(picture))",
     "false"),
    ("mkmedia-plain-compressed", "tools/mkmedia/main.cpp", "Bytes packed = s.file->compressed ? CompressLz(bytes, s.replacedChar) : bytes;",
     "Bytes packed = CompressLz(bytes, s.replacedChar);"),
    # toolkit/windows/root_window.h
    ("layout-language-whole-word", T + "windows/root_window.h", "const uint32_t language = layout & 0x3FF;",
     "const uint32_t language = layout & 0xFFFF;"),
    ("layout-ime-top-digit-any", T + "windows/root_window.h", "if (layout >> 28 == 0xE ||", "if (layout >> 28 != 0 ||"),
    ("layout-korean-left-out", T + "windows/root_window.h", " || language == 0x12) return", ") return"),
    ("layout-first-only", T + "windows/root_window.h", "language == 0x12) return true;\n    }\n    return false;",
     "language == 0x12) return true;\n        return false;\n    }\n    return false;"),
]


def run(cmd, cwd, timeout):
    try:
        p = subprocess.run(cmd, cwd=cwd, shell=True, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           timeout=timeout)
        return p.returncode, p.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired as e:
        out = e.stdout.decode(errors="replace") if e.stdout else ""
        return "timeout", out


def mirror(resync, tests):
    """Copies the tree's tests into the mirror, and with resync (or on the first run) the code too, leaving the
    mirror's build tree: the code stays as it was taken while others change it, so tallies compare. Only files
    whose bytes differ are copied, and they take the time of the copy, so the mirror's build sees them as new."""
    fresh = resync or not os.path.exists(os.path.join(MIRROR, "build", PRESET, "build.ninja"))
    for directory, subdirectories, files in os.walk(MAIN):
        if not fresh and not os.path.relpath(directory, MAIN).startswith("tests"):
            continue
        if directory == MAIN:
            subdirectories[:] = [d for d in subdirectories if d not in ("build", ".git")]
        target = os.path.join(MIRROR, os.path.relpath(directory, MAIN))
        os.makedirs(target, exist_ok=True)
        for name in files:
            src, dst = os.path.join(directory, name), os.path.join(target, name)
            with open(src, "rb") as f:
                data = f.read()
            if os.path.exists(dst):
                with open(dst, "rb") as f:
                    if f.read() == data:
                        continue
            with open(dst, "wb") as f:
                f.write(data)
            shutil.copymode(src, dst)  # the scripts the tests run stay runnable
    if tests:  # the unit and fuzz tests from elsewhere (an earlier suite kept aside)
        for sub in ("win", "e2e", "robot") if WINE else ("unit", "fuzz"):
            for directory, _, files in os.walk(os.path.join(tests, sub)):
                target = os.path.join(MIRROR, "tests", os.path.relpath(directory, tests))
                for name in files:
                    with open(os.path.join(directory, name), "rb") as f:
                        data = f.read()
                    dst = os.path.join(target, name)
                    if os.path.exists(dst) and open(dst, "rb").read() == data:
                        continue
                    with open(dst, "wb") as f:
                        f.write(data)
    if not os.path.exists(os.path.join(MIRROR, "build", PRESET, "build.ninja")):
        code, out = run("cmake --preset " + PRESET, MIRROR, 600)
        if code != 0:
            sys.exit("configuring the mirror failed:\n" + out)


def main():
    # A kill ends the run through the finally clauses, so a planted fault is always written back.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
    signal.signal(signal.SIGHUP, lambda *_: sys.exit("hung up"))
    args = sys.argv[1:]
    if not args or args[0].startswith("-"):
        sys.exit(__doc__)
    tally_path = args[0]
    in_place = "--in-place" in args
    only = None
    if "--only" in args:
        only = set(args[args.index("--only") + 1].split(","))
    root = MAIN if in_place else MIRROR
    if not in_place:
        mirror("--resync" in args, args[args.index("--tests") + 1] if "--tests" in args else None)
    logs = os.path.join(MAIN, "build", "faults", "logs", os.path.splitext(os.path.basename(tally_path))[0])
    os.makedirs(logs, exist_ok=True)
    build = "cmake --build --preset host --target unit_tests"
    # A fault that makes the code loop and allocate without end is stopped by the time-out or the RSS limit.
    test = "ASAN_OPTIONS=hard_rss_limit_mb=3000 timeout 60 build/host/tests/unit_tests"
    faults = FAULTS
    if WINE:
        # FAULT_LIST=portable plants the portable faults above in the Windows build, to see what the scenarios
        # catch of them; FAULT_TARGETS builds only those targets (say, what the scenarios run).
        if os.environ.get("FAULT_LIST") != "portable":
            from wine_fault_list import FAULTS as faults
        build = "nice cmake --build --preset win64"
        if os.environ.get("FAULT_TARGETS"):
            build += " --target " + os.environ["FAULT_TARGETS"]
        # The test bed goes down after every run, whatever stopped it.
        # FAULT_TESTS names other tests (a ctest -R pattern), to see what the rest of the suite catches without some.
        tests = os.environ.get("FAULT_TESTS", "toolkit_win_tests|e2e_setup64")
        test = ("timeout 400 ctest --test-dir build/win64 -R '" + tests + "' --stop-on-failure "
                "--timeout 180 --output-on-failure; code=$?; tools/wine-testbed.sh down build/win64/testbed; "
                "exit $code")
    code, out = run(build, root, 1200)
    if code != 0:
        sys.exit("the unplanted build fails:\n" + out[-3000:])
    code, out = run(test, root, 450)
    if code != 0:
        sys.exit("the unplanted tests fail:\n" + out[-3000:])
    names = [f[0] for f in faults]
    assert len(names) == len(set(names)), "fault names repeat"
    counts = {}
    with open(tally_path, "w") as tally:
        for name, rel, old, new in faults:
            if only and name not in only:
                continue
            path = os.path.join(root, rel)
            with open(path, "rb") as f:
                original = f.read()
            text = original.decode()
            started = time.time()
            failing = ""
            if text.count(old) != 1:
                verdict = "NOT FOUND" if old not in text else "NOT UNIQUE"
                out = ""
            else:
                try:
                    with open(path, "w") as f:
                        f.write(text.replace(old, new))
                    code, out = run(build, root, 1200)
                finally:
                    # Written back before the tests run, so the fault is planted only while it is built.
                    with open(path, "wb") as f:
                        f.write(original)
                with open(path, "rb") as f:
                    assert f.read() == original, "not restored: " + rel
                if code != 0:
                    verdict = "BUILD FAILED"
                else:
                    code, tests = run(test, root, 450)
                    out += tests
                    failed = sorted(set(re.findall(r"^\[  FAILED  \] (\S+\.\S+)", tests, re.M)))
                    failed += re.findall(r"^SCENARIO FAILED (\S+):", tests, re.M)
                    failing = " ".join(failed) if failed else ("exit " + str(code) if code != 0 else "")
                    verdict = "CAUGHT" if code != 0 else "missed"
                    if code == "timeout":
                        failing = "timeout"
            with open(os.path.join(logs, name + ".txt"), "w") as log:
                log.write(out)
            counts[verdict] = counts.get(verdict, 0) + 1
            line = "%s\t%s\t%s" % (name, verdict, failing)
            print(line, "(%.0f s)" % (time.time() - started), flush=True)
            tally.write(line + "\n")
            tally.flush()
    # The tree built last carries no fault.
    run(build, root, 1200)
    print("tally:", ", ".join("%s %d" % kv for kv in sorted(counts.items())))
    if in_place:
        code, out = run("git diff --stat -- toolkit installer tools", MAIN, 60)
        print("planted files left changed:", out.strip() or "none")


if __name__ == "__main__":
    main()
