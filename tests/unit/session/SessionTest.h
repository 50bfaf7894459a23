#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "TestBench.h"

// The dialog with a response handed to it as the receive side would: framed, checksum and all.
class SessionTest : public ::testing::Test {
protected:
    TestBench bench;
    CFlashDlg& dlg = *bench.dlg;
    ScriptedDialogHost& host = bench.host;

    SessionTest() { dlg.InitSessionData(); }

    // Frames the payload into rxBuffer and handles it.
    void Answer(std::initializer_list<uint8_t> payload) { AnswerTo(dlg, payload); }
    std::vector<int> PendingRows() const { return PendingRowsOf(dlg); }

    // The same for another dialog (a test that needs a fresh one per case).
    static void AnswerTo(CFlashDlg& dialog, std::initializer_list<uint8_t> payload);
    static std::vector<int> PendingRowsOf(const CFlashDlg& dialog);
};
