// SPDX-License-Identifier: MIT
// The least a Qt command-line program costs: start, build the application object, exit.
// Whole-process times of the programs are reported as a ratio to this.
#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return 0;
}
