// Connects the search controls of the main window to their handlers.

#include "app/mp3.h"

void TForm1::wireSearch()
{
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Edit1, &QLineEdit::returnPressed, this, [this] { guarded([this] { Button1Click(); }); });
    connect(SeSkinComboBox1, &QComboBox::currentIndexChanged, this,
            [this] { guarded([this] { SeSkinComboBox1Change(); }); });
    connect(Button9, &QPushButton::clicked, this, [this] { guarded([this] { Button9Click(); }); });
}
