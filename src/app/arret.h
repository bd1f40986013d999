#pragma once

class Form1;

// When Plumor is stopped from outside (SIGTERM, SIGINT, SIGHUP, the end of
// the desktop session), the text this copy holds is released before the
// process ends, so no mark outlives it. Call once, with the main window.
void relierArretPropre(Form1 &fenetre);

// The desktop session is ending (commitDataRequest, WM_QUERYENDSESSION): the
// record is written and the held texts let go at once, as no question may
// wait for a pupil who logs out. An end that is then cancelled would leave
// Plumor running over texts another pupil may take: it ends instead, and the
// next start offers back what was typed.
void finDeSession(Form1 &fenetre);
