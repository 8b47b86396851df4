#pragma once

class QApplication;

// Makes the toolkit speak Japanese: Qt's own translations (so every standard button reads in
// Japanese) and a Japanese UI font at 9 points.
void installJapaneseUi(QApplication& app);
