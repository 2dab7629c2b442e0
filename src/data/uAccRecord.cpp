#include "data/uAccRecord.h"

uint8_t ProgramKind = 0;
uint8_t ConnectMode = 0;
uint8_t ReservedKind = 0;
uint8_t OemKind = 0;

TSystemDef SystemDef;
TACCINF AccInf;
std::string DataVerText;
