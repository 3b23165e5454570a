#pragma once
// The "pic" commands of scadactl:
//   pic dump FILE                      the picture as JSON on stdout
//   pic new FILE [PAGEW PAGEH [BACK]]  an empty picture (page in 0.1 mm)
//   pic add FILE TYPECODE LEFT TOP WIDTH HEIGHT [NAME=VALUE ...]
//                                      appends an object; NAME is an attribute
//                                      (Lines takes lines separated by "|")
// Each returns the process exit status and writes messages to err.

#include "pictures/PictureFile.h"

#include <QStringList>
#include <QTextStream>

namespace scada::ctl {

int RunPic(const QStringList &args, QTextStream &out, QTextStream &err);

// Sets one attribute of an object by its name; false for an unknown name or
// a value that does not convert.
bool SetAttribute(TfrView &v, const QString &name, const QString &value);

} // namespace scada::ctl
