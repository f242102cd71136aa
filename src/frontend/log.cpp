#include "frontend/log.h"

DiagnosticLogStream::DiagnosticLogStream() : file_("Quillo.log", std::ios::out | std::ios::trunc) {}

DiagnosticLogStream DiagnosticLog;
