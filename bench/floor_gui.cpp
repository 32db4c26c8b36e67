// SPDX-License-Identifier: MIT
// The least a Qt widget program costs: start, build the application object with
// its platform plug-in (offscreen in the measurements), exit.
#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    return 0;
}
