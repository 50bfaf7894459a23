#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/CTqBusyProgressCtrl.h"
#include "app/RecoveryText.h"
#include "ecu/EcuDataSnapshot.h"
#include "ecu/EcuIdentification.h"
#include "images/FlashContainer.h"
#include "images/ImageResources.h"
#include "journal/ChooseJournal.h"
#include "journal/Journal.h"
#include "journal/JournalSettings.h"
#include "link/CommThread.h"
#include "link/HuntRecord.h"
#include "link/LineWatchPort.h"
#include "link/RequestScheduler.h"
#include "link/RequestTable.h"
#include "log/DebugReport.h"
#include "session/RefusalDecision.h"
#include "session/SessionStage.h"
#include "session/ValidateResponse.h"

class Clock;
class DialogHost;
class Response;
class PortEnumerator;
class SerialPort;
class SystemInfo;

// The platform services the dialog works through.
struct PlatformServices {
    DialogHost& host;
    Clock& clock;
    SerialPort& port;
    PortEnumerator& ports;
    SystemInfo& system;
};

// The central object: owns every buffer, table, flag and handle of the program. Its operations
// are defined in the folders of the subsystems they belong to.
//
// Which thread runs what. The user-interface thread (UI) runs the window events, both timers
// (SchedulerTick, ConnectionTick), OnDispatch, OnProceed and the close steps (StopLink, which joins
// the receive thread while it still serves that thread's window calls). The receive thread (RX)
// runs CommThreadProc and with it HandleResponse and every handler, their waits (100, 400, 3300 ms)
// and message boxes, and ResetSession after an operator's reset. Window calls from RX are
// synchronous calls into UI. The busy indicator's animation thread is never started by the dialog.
//
// The data by group: who writes (W), who reads (R), and what orders them.
//   Port list ................. W: UI (initialisation)         R: UI
//   hunt ...................... W: UI (ConnectionTick)          R: UI (front ends between events)
//   Image working area, flash containers, lastBaseTag/lastUpperTag
//                             W: UI (OnProceed, in stage 0 with nothing pending or awaited)
//                             R: UI (memory write), RX (its echo); RX reads them only after the
//                             atomic pending flag OnProceed raises, so the load happens-before.
//   rxBuffer, rxChunk ......... W/R: RX only
//   rxCount ................... W: RX, UI (time-out clears it)   atomic
//   stopCommThread ............ W: UI                     R: RX         atomic
//   lastSentRow ............... W: UI (SendRequest)       R: RX (the gate)          atomic
//   droppedResponses .......... W: RX                     R: any        atomic
//   finalAnswerDue/Ticks ...... W: RX (pending answer, gate), UI (overdue)          atomic
//   Session fields (resetByService, modelKnown, modelCode, variant, softwareVersionNumber,
//   addressRetries, checksum failures, secondKeyTried, snapshotReading, securitySeed,
//   infoBlock, historyEntryAdded)
//                             W/R: RX (handlers); UI only in initialisation (before RX exists)
//                             and in OnProceed, which the image choice on RX enables through a
//                             synchronous window call, after which RX handles nothing in stage 0.
//   imageIndex, dongleVersion, tagIndex, blockIndex, securityKey, sessionStage, runEnded, lineSpeed
//                             W: RX (handlers), UI (OnProceed, ResetSession, SetLineSpeed)
//                             R: UI (SendRequest, ConnectionTick, front ends), RX; sessionStage
//                             and runEnded also the console's signal thread (EcuBeingChanged)  atomic
//   finishedOk, programmingStarted
//                             W: RX (FinishWithStatus, AskForProgrammingSession)
//                             R: front ends, UI; programmingStarted also the console's signal
//                             thread (EcuBeingChanged)                                 atomic
//   recoveryTold .............. W/R: UI (the windows' close steps, timer and session end);
//                             taken by exchange, so that one box tells it              atomic
//   reportedBase/UpperChecksum  W: RX (checksum reply)        R: front ends            atomic
//   requestTable .............. W: UI (InitSessionData; SendRequest completes the variable bytes)
//                             R: RX reads only the fixed bytes, set before RX exists
//   scheduler ................. W/R: UI and RX (ResetSession, handlers' pending flags, the
//                             awaited flag cleared last by HandleResponse)              atomic
//   ECU data (ecuIdentification, ecuDataSnapshot, savedMarks, historyVersion)
//                             W: RX (stage-0 read, restore choice, history entry)
//                             R: UI (SendRequest fills write rows in stages 3-6; BeginJournal at
//                             "Proceed ->"). They never overlap: the snapshot is written in stage
//                             0 only, and a request is filled only while none is awaited, the
//                             handler having cleared awaitingResponse (atomic) as its last step.
//   Journal (journalSettings, restoreSource, snapshotReadAtStart)
//                             W: the front end before initialisation, RX (restore choice)
//                             R: RX, UI (BeginJournal at "Proceed ->", ordered as the ECU data)
//   busyIndicator ............. W: RX (StepBusyIndicator: position and direction, atomic),
//                             UI (configuration at initialisation; drawing reads it)
//   traceNote ................. set by the front end before initialisation; called from both
//                             threads: its target serialises.
class CFlashDlg {
public:
    explicit CFlashDlg(PlatformServices platform);
    ~CFlashDlg();
    CFlashDlg(const CFlashDlg&) = delete;
    CFlashDlg& operator=(const CFlashDlg&) = delete;

    // ---- Window events (app/) ----
    bool OnInitDialog();
    void OnTimer(int timerId);
    void OnProceed();
    void OnRadioButton(int controlId);
    void OnSysCommand(int commandId);
    void OnClose();

    // ---- Start-up and session (app/) ----
    void EnumeratePorts();
    void ConfigureProgress();
    void InitSessionData();
    void ResetSession();
    void ShowEcuFields(bool show);
    void SetStatusText(std::string_view text);
    void StepBusyIndicator();

    // ---- Request table, framing and scheduler (link/) ----
    bool SendRequest(int32_t row);
    void SchedulerTick();
    int SendNextPending();
    void SendPendingRequests();
    void OnDispatch();

    // ---- Serial port, connection sequence and receive thread (link/) ----
    bool OpenPort(int32_t portNumber);
    bool SetLineSpeed(int32_t speedSelector);
    void SendSpeedSwitch();
    void ClosePort();
    void StopLink();
    void ConnectionTick();
    void StartCommThread();
    void EndCommThread();
    int CommThreadProc();
    void AssembleResponse(const uint8_t* chunk, uint32_t count);

    // ---- Images (images/) ----
    bool LoadFirmwareImage(int32_t imageIndex);
    bool ParseSRecords();
    bool BuildTagContainers(uint32_t areaEnd, uint32_t endTagAddress);

    // ---- Session (session/) ----
    void HandleResponse();
    void NoteDroppedResponse(ResponseVerdict verdict, std::span<const uint8_t> frame);
    void HandleByService(const Response& response);
    void FinishWithStatus(std::string_view text);
    // The run has come to its final text: nothing is pending or awaited any more. Front ends
    // that end with the run (the console program) look at this after every event.
    bool RunEnded() const;
    // The one place the stage changes.
    void SetSessionStage(Stage stage, std::string_view why);
    void MakePending(int row) { scheduler.pendingFlags[static_cast<size_t>(row)] = 1; }
    void Withdraw(int row) { scheduler.pendingFlags[static_cast<size_t>(row)] = 0; }
    bool IsPending(int row) const { return scheduler.pendingFlags[static_cast<size_t>(row)] == 1; }
    bool AnyPending() const;
    void ResetEcu(int32_t byService);
    bool ChangeLineSpeed();
    void OnSessionStarted(const Response& response);
    void OnEcuResetDone();
    void OnResponseTimeout();
    void OnStopSessionDone();
    void OnInterfaceAnswer(const Response& response);
    void OnSecurityAccess(const Response& response);
    void OnRoutineStarted(const Response& response);
    void OnWriteMemoryReply(const Response& response);
    // Refusals: the decision is DecideRefusal's (session/RefusalDecision.h), these carry it out.
    void HandleNegativeResponse(const Response& response);
    int RefusedRow(uint8_t refusedService) const;
    void CarryOutRefusal(const RefusalDecision& decision, int row, const Response& response);
    void SkipRecord(int row);
    void TakeOlderEcu();
    void GoOnWithoutHistoryVersion();
    void GoOnWithout(int row);
    void LeaveOutRefusedWrite();
    void CheckFinalAnswerOverdue();
    void TakeUnexpectedResponsePath(const Response& response);
    void WithdrawRequestsOf(uint8_t service);
    void OfferDebugReport(const char* header);

    // ---- Identification, snapshot, history, checksums (ecu/) ----
    void OnDateReply(const Response& response);
    void OnTimeReply(const Response& response);
    void OnVersionReply(const Response& response);
    void ApplyModelPolicy(const Response& response);
    // The text that ends the run when the model code, variant or software date read may not be
    // updated; null when they may.
    const char* RefusedByModelPolicy() const;
    void SelectImageForEcu();
    void OnSnapshotReadReply(const Response& response);
    void OnWriteReply(const Response& response);
    void ScheduleNextRestoreWrite();
    void SkipRestoreWrite();
    void AddProgrammingHistoryEntry();
    void OnHistoryWriteReply();
    void EndHistoryWrite();
    void OnChecksumReply(const Response& response);

    // ---- Debug information file (log/) ----
    // Fills the report from the dialog's state and the local time, after the given header line.
    void BuildDebugReport(DebugReportText& report, std::string_view header);
    // Asks the operator for a file and appends the report to it.
    void SaveDebugReport(const DebugReportText& report);

    // ---- Journal of the run (journal/) ----
    // Before any request of stage 1: saves the snapshot and who the ECU is. False when the run
    // must not program (the operator has been told why).
    bool BeginJournal();
    // At the end of the stage-0 read: offers the data an interrupted run saved for this ECU.
    // False when the run must not go on (the operator has been told why).
    bool OfferJournalRestore();
    EcuReading ReadingForJournals() const;
    bool RefuseForJournal(const JournalChoice& choice, const std::vector<std::unique_ptr<JournalFile>>& files,
                          const EcuReading& ecu);
    bool TakeJournal(std::unique_ptr<JournalFile> chosen);
    const char* TakeIdentityOf(const JournalFile& file);
    // Before the programming session of stage 1 is asked for: from then on an interruption can
    // leave the ECU without its records. False when that cannot be recorded (the run has ended
    // and says why).
    bool RecordProgrammingStart();
    void AskForProgrammingSession();
    // The journal this run writes back is superseded and let go: its data is safe elsewhere.
    void ReleaseRestoreSource();
    void RecordJournalProgress(JournalProgress progress);

    // ---- The operator stops a run, and what a run's end says (app/) ----
    // Any thread: from the programming mark (the programming session asked for) to the run's
    // final text; a run stopped meanwhile leaves the ECU without a working program.
    bool EcuBeingChanged() const;
    // What this run has done to the ECU: nothing yet, programmed it, or left it without a program.
    EcuState EcuStateNow() const;
    // This run's journal file; empty when the run keeps none.
    std::string JournalPath() const;
    // The journal that holds the data this ECU lacks, for --resume: this run's own once its
    // programming mark is on disk, else the journal this run was writing back; empty when none.
    std::string JournalToResume() const;
    // What the operator is to do after a run stopped while the ECU was being changed.
    std::string RecoveryText() const;
    // The journal to finish the update from and the command (a window's also that it offers the
    // journal at its next start); that there is none, when there is none.
    std::string ResumeSteps(bool window) const;
    // This run's journal says its data has been written back to the ECU.
    bool DataWrittenBack() const;
    // The words after a run's final text, for any end but "Finished OK": the recovery steps when
    // the ECU was left without a program, else that nothing was changed (and the journal the ECU
    // still needs, when this run was writing one back). Empty when nothing needs saying. A
    // window's words also say that the window offers the journal at its next start.
    std::string ClosingWords(bool window) const;
    // A window's timer: once a run has ended leaving the ECU without a program, the box that
    // says how to recover (once per run).
    void TellEcuLeftUnprogrammed();
    void ShowRecoveryBox();
    // The operator closes the window: while the ECU is being changed, asks first. True to close.
    bool ConfirmClose();
    // A window's close steps; a run stopped while the ECU was being changed ends with a box that
    // says how to recover.
    void CloseRun();
    // A window's end of a run whose line is lost: the close steps, then a box saying what
    // happened and what to do. False (nothing done) when the line is not lost or the run had
    // ended already.
    bool EndRunOnLostLine(LineLoss loss);
    // The port the hunt is at: being tried, or connected to; 0 when no port is listed.
    int32_t CurrentPort() const;
    // Why no adapter has answered yet, port by port (see DescribeHunt).
    std::string WhyNoAdapter(bool unfinishedJournal) const;

    // ---- Data ----
    // Port list
    std::array<int32_t, 260> PortList{};
    int32_t portCount = 0;
    HuntRecord hunt;  // user-interface thread

    // Image working area
    std::unique_ptr<uint8_t[]> WorkingImage;
    uint32_t workingImageSize = 0;
    std::array<uint8_t, kSRecordTextSize> SRecordText{};
    uint32_t sRecordTextLength = 0;  // characters of the image text at the start of SRecordText
    ImageResourceFinder findImageResource = FindImageResource;

    // Receive state
    std::array<uint8_t, 256> rxBuffer{};
    std::atomic<uint8_t> rxCount{0};
    std::array<uint8_t, 256> rxChunk{};
    std::atomic<int32_t> stopCommThread{0};
    std::atomic<int32_t> lastSentRow{-1};  // the request sent last: what an answer must answer
    std::array<std::atomic<uint32_t>, kResponseVerdicts>
        droppedResponses{};                     // frames the gate let not through, by verdict
    std::atomic<int32_t> finalAnswerDue{0};     // the ECU said "response pending" to a memory write
    std::atomic<uint32_t> finalAnswerTicks{0};  // scheduler ticks spent waiting for its final answer
    CommThread commThread;

    // Session and image fields
    int32_t addressLimitExceeded = 0;
    int32_t resetByService = 0;
    int32_t modelKnown = 0;
    int32_t parsePosition = 0;
    int32_t softwareVersionNumber = 0;
    std::atomic<int32_t> imageIndex{0};
    int32_t modelCode = 0;
    int32_t variant = 0;
    std::atomic<int32_t> dongleVersion{0};
    int32_t lastBaseTag = 0;
    int32_t lastUpperTag = 0;
    std::atomic<int32_t> tagIndex{0};
    int32_t addressRetries = 0;
    int32_t baseChecksumFailures = 0;
    int32_t upperChecksumFailures = 0;
    int32_t secondKeyTried = 0;
    int32_t snapshotReading = 0;  // the snapshot read of stage 0 is under way
    std::atomic<uint8_t> blockIndex{0};
    uint16_t securitySeed = 0;
    std::atomic<uint16_t> securityKey{0};
    std::atomic<Stage> sessionStage{Stage::Identification};
    std::atomic<int32_t> runEnded{0};    // a final text has been shown
    std::atomic<int32_t> finishedOk{0};  // that text is "Finished OK"
    // The programming session has been asked for (the journal's programming mark is on disk):
    // from here the ECU may be left without a program.
    std::atomic<int32_t> programmingStarted{0};
    std::atomic<bool> recoveryTold{false};  // the recovery has been told for this run
    std::atomic<uint32_t> lineSpeed{0};     // baud rate last applied to the port
    // The checksums the ECU reported for its areas; -1 until one came.
    std::atomic<int32_t> reportedBaseChecksum{-1};
    std::atomic<int32_t> reportedUpperChecksum{-1};

    // Request table copy
    RequestRows requestTable{};

    // Scheduler state
    SchedulerState scheduler;

    // Flash containers
    FlashContainer BaseContainer{};
    FlashContainer UpperContainer{};

    // ECU data
    EcuIdentification ecuIdentification{};
    EcuDataSnapshot ecuDataSnapshot{};
    std::array<int32_t, kSavedMarkCount> savedMarks{};
    std::array<char, 4> historyVersion{};  // version text of the new programming-history entry
    int32_t historyEntryAdded = 0;         // this run has its entry in the history (stage 3)

    // Journal
    struct SnapshotCopy {
        EcuDataSnapshot snapshot;
        std::array<int32_t, kSavedMarkCount> marks;
    };
    JournalSettings journalSettings;                    // the front end's choice
    std::unique_ptr<JournalFile> restoreSource;         // the interrupted run whose data this run writes back
    std::unique_ptr<SnapshotCopy> snapshotReadAtStart;  // what this run read, when it writes back another's
    // Stage 0 read the identity an erase leaves, or half of it: only a journal can tell who the ECU is.
    InfoBlockState infoBlock = InfoBlockState::Intact;

    // Controls owned by the model (the rest live in the window)
    CTqBusyProgressCtrl busyIndicator{10, 0};

    // Platform
    PlatformServices platform;
    // The wire trace's notes for support (dropped frames, stage changes); any thread. Optional.
    std::function<void(std::string_view note)> traceNote;
};
