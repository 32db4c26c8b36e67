// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace FileIO {

// A name that an object in a JSON text gives twice. Qt's reader keeps the last
// value of such a name, so the first is dropped without a word, and Qt 5.15 also
// leaks that value when it is an object or array: text from users is scanned first.
struct RepeatedName
{
    QString name;       // null when no object repeats a name
    int item = 0;       // the element of an outermost array holding it, from 1; else 0
    bool single = true; // whether the text holds at most one JSON value
};

// The first repeated name, decoded as Qt decodes names. The scan is lenient: it reads
// past anything Qt's reader would refuse, so it sees every name that reader sees.
RepeatedName repeatedName(const QByteArray &json);

} // namespace FileIO
