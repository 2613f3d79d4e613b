#pragma once
// The application's set-up (once, on the worker thread) and main function
// (each run, on the worker thread).
void AppSetup();
void AppMain();
