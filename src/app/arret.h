#pragma once

class Form1;

// When Plumor is stopped from outside (SIGTERM, SIGINT, SIGHUP, the end of
// the desktop session), the text this copy holds is released before the
// process ends, so no mark outlives it. Call once, with the main window.
void relierArretPropre(Form1 &fenetre);
