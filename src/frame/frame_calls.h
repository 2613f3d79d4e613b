// The frame's calls for application code: the frame flags, the pumps,
// clock and waits, the small utilities.
#pragma once

#include <atomic>

// ---- frame flags -------------------------------------------------------------
// Each has fixed writers and readers; a change is seen at the reader's next poll.
extern std::atomic<int> startRequested;  // a run of the main function is wanted
extern std::atomic<int> running;         // the main function is executing
extern std::atomic<int> stopRequested;   // the main function is asked to return
extern std::atomic<int> exitState;       // 0 running, 1 exit requested, 2 worker finished

// ---- pumps, clock, waits -----------------------------------------------------
int PumpMessages();                  // serves the calling thread's windows; returns 0
void PumpPendingMessages();          // the same without the boxes' keyboard handling
int MillisecondClock();              // milliseconds; compare readings by unsigned difference
int WaitMilliseconds(int ms);        // 0: the time passed; 1: stopRequested was seen
void PauseMessageBox(const char* text);

// ---- utilities ---------------------------------------------------------------
void SetStatusText(const char* text);  // the main window's status line, centred on column 18
void SplitRgb(int color, int* red, int* green, int* blue);
