#pragma once

class QApplication;

// What the process needs before the window exists: Qt's French texts and
// the few its catalogue lacks, the fonts the window asks for, and signals
// that must not end it mid-write.
void preparerApplication(QApplication &app);
