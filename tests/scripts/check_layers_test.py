#!/usr/bin/env python3
"""The layer check against small trees made for each case, and against the repository itself.

Usage: check_layers_test.py <repository root>
"""
import pathlib
import subprocess
import sys
import tempfile
import unittest

REPOSITORY = pathlib.Path(sys.argv.pop(1) if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[2])
SCRIPT = REPOSITORY / "scripts" / "check-layers.py"

# A tree where every include keeps to its layer: a core using the platform, a window part using its core and
# what the parts share, headers beside their files, and system and Qt headers in both forms.
CLEAN_TREE = {
    "src/platform/text/gbk.h": "#pragma once\n#include <string>\n",
    "src/platform/model/list_row.h": "#pragma once\n#include <QString>\n",
    "src/download/download_rules.h": '#pragma once\n#include "platform/model/list_row.h"\n',
    "src/download/download_rules.cpp": '#include "download_rules.h"\n#include <platform/text/gbk.h>\n',
    "src/search/search_query.h": "#pragma once\n#include <vector>\n",
    "src/search/search_query.cpp": '#include "search/search_query.h"\n#include "platform/text/gbk.h"\n',
    "src/app/shared/folders.h": '#pragma once\n#include "download/download_rules.h"\n',
    "src/app/search/search_controller.cpp": (
        '#include <app/shared/folders.h>\n#include "search/search_query.h"\n#include <QWidget>\n'),
    "tools/tool.cpp": '#include <cstdio>\n#include "platform/text/gbk.h"\n',
}


class LayerTree:
    """A throw-away repository holding the clean tree plus the files a case adds or replaces."""

    def __init__(self, changes=None):
        self.dir = tempfile.TemporaryDirectory()
        self.root = pathlib.Path(self.dir.name)
        for rel, text in {**CLEAN_TREE, **(changes or {})}.items():
            path = self.root / rel
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text, encoding="utf-8")

    def run(self):
        done = subprocess.run([sys.executable, str(SCRIPT), str(self.root)], capture_output=True, text=True)
        return done.returncode, done.stdout.splitlines()

    def close(self):
        self.dir.cleanup()


def failures_of(lines):
    return [line for line in lines if not line.startswith("layer check:")]


class LayerCheck(unittest.TestCase):
    def check(self, changes=None):
        tree = LayerTree(changes)
        self.addCleanup(tree.close)
        return tree.run()

    def test_a_tree_that_keeps_its_layers_passes(self):
        code, lines = self.check()
        self.assertEqual(code, 0, lines)
        self.assertEqual(failures_of(lines), [])

    def test_a_sideways_include_in_angle_brackets_fails_naming_file_line_and_rule(self):
        code, lines = self.check({
            "src/search/harvest.cpp": '#include "search/search_query.h"\n#include <download/download_rules.h>\n'})
        self.assertEqual(code, 1)
        self.assertEqual(failures_of(lines), [
            "src/search/harvest.cpp:2: includes download/download_rules.h: search may not see download"])

    def test_a_sideways_include_in_quotes_fails_also_when_written_relative_to_the_file(self):
        code, lines = self.check({
            "src/search/harvest.cpp": '#include "download/download_rules.h"\n',
            "src/search/charts.cpp": '\n#include "../download/download_rules.h"\n'})
        self.assertEqual(code, 1)
        self.assertEqual(failures_of(lines), [
            "src/search/charts.cpp:2: includes ../download/download_rules.h: search may not see download",
            "src/search/harvest.cpp:1: includes download/download_rules.h: search may not see download"])

    def test_an_upward_include_from_a_core_into_the_window_fails(self):
        code, lines = self.check({"src/download/download_run.cpp": "#include <app/shared/folders.h>\n"})
        self.assertEqual(code, 1)
        self.assertEqual(len(failures_of(lines)), 1)
        self.assertIn("download may not see app/shared", lines[0])

    def test_a_window_part_may_not_include_another_part_or_the_window(self):
        code, lines = self.check({
            "src/app/mp3.h": "#pragma once\n",
            "src/app/download/download_controller.h": "#pragma once\n",
            "src/app/search/search_wiring.cpp": (
                '#include "app/download/download_controller.h"\n#include "app/mp3.h"\n')})
        self.assertEqual(code, 1)
        self.assertEqual(failures_of(lines), [
            "src/app/search/search_wiring.cpp:1: includes app/download/download_controller.h: "
            "app/search may not see app/download",
            "src/app/search/search_wiring.cpp:2: includes app/mp3.h: app/search may not see app"])

    def test_a_file_in_a_folder_without_an_entry_of_its_own_fails(self):
        # Below a listed folder as well as beside the listed ones: a prefix is not an entry.
        code, lines = self.check({
            "src/search/extra/helper.h": "#pragma once\n",
            "src/widgets/panel.cpp": "#include <QWidget>\n"})
        self.assertEqual(code, 1)
        failures = failures_of(lines)
        self.assertEqual(len(failures), 2, lines)
        self.assertTrue(failures[0].startswith("src/search/extra/helper.h: its folder search/extra has no entry"))
        self.assertTrue(failures[1].startswith("src/widgets/panel.cpp: its folder widgets has no entry"))

    def test_a_header_of_the_tools_is_not_for_the_program(self):
        code, lines = self.check({
            "tools/tool_options.h": "#pragma once\n",
            "src/search/search_query.cpp": "#include <tool_options.h>\n"})
        self.assertEqual(code, 1)
        self.assertEqual(failures_of(lines),
                         ["src/search/search_query.cpp:1: includes tool_options.h: search may not see tools"])

    def test_the_repository_keeps_its_layers(self):
        done = subprocess.run([sys.executable, str(SCRIPT), str(REPOSITORY)], capture_output=True, text=True)
        self.assertEqual(done.returncode, 0, done.stdout)


if __name__ == "__main__":
    unittest.main(verbosity=2)
