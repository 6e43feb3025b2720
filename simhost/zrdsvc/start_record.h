// What a simulated host program records about how it was started: the program that started it
// and the working folder it was given, so that tests can tell who started it and where.
#pragma once

// Appends "parent <pid> <image name>" and "folder <working folder>" to fileName (run_log.h). The
// image name is "?" when the parent has already ended.
void AppendStartRecord(const wchar_t* fileName);
