// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: cardwise-cli's command line (arguments separated by zero bytes) and the
// hexadecimal input of decode; what the parser accepts must hold together.
#include "CliArguments.h"
#include "CliDecode.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray strInput =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringList arrArgs;
    for (const QByteArray& strArg : strInput.split('\0'))
        arrArgs.append(QString::fromUtf8(strArg));

    // What is refused says why; what is accepted holds together.
    SCliOptions options;
    QString strError;
    bool bSound = true;
    if (!ParseCliArguments(arrArgs, options, strError))
        bSound = !strError.isEmpty();
    else {
        bSound = !(options.bNoRestart && options.bWaitRestart) &&
                 (options.nCommand != CLI_SET || !options.strMac.isEmpty()) && options.nRounds >= 1;
        for (const SParamEdit& edit : options.arrEdits)
            bSound = bSound && edit.nSetId != 0;
    }
    QByteArray strBytes;
    if (ParseHexText(strInput, strBytes, strError))
        bSound = bSound && strBytes.size() <= strInput.size() / 2;
    if (!bSound)
        __builtin_trap();
    return 0;
}
