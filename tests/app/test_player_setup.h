#pragma once

#include "app/form1.h"
#include "app/form1_parts.h"
#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "browser/navigation.h"

// Players for a window under test: no sound leaves the machine and the sound card's volume is
// neither read nor written.
inline Form1PlayerSetup testPlayerSetup() {
    Form1PlayerSetup setup;
    setup.options.audioOutput = QStringLiteral("null");
    setup.waveVolume.get = [] { return quint32{0}; };
    setup.waveVolume.set = [](quint32) {};
    setup.historyFile = QString();  // no history: nothing of a run outlives it
    return setup;
}

// The tree and the navigation wait only a moment for the disk before they go on with the window
// live (the rest follows when the disk answers); under a loaded test run that moment may pass.
// Tests that look at the nodes and the list at once let them wait as long as they need (what
// follows later has tests of its own).
inline void patientWindow(Form1Parts& parts) {
    parts.tree().setScanDeadline(std::chrono::seconds(10));
    parts.navigation().setProbeTimes(std::chrono::seconds(10), std::chrono::seconds(10));
    parts.list().setListDeadline(std::chrono::seconds(10));
    parts.list().setListWait(std::chrono::seconds(10));
}
