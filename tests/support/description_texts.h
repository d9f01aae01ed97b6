// Description texts shared by the tests of the description language.
#pragma once

namespace qorv::test {

// Every required key, so that a file loaded beside it draws no 1010.
inline const char *const kRequiredKeys =
    "[Input]\n"
    "DvdRoot = \"root\"\nLDRFileName = \"ldr\"\nBI2FileName = \"bi2\"\n"
    "BootFileName = \"boot\"\nZEMSysFileName = \"zem\"\n"
    "[Output]\n"
    "LayoutFileName = \"a.dlf\"\nSystemFileName = \"sys\"\nConfigFileName = \"cfg\"\n"
    "[DiskID]\n"
    "GameName = \"G\"\nCompany = \"01\"\nDiskNumber = 0\nGameVersion = 0\n"
    "DiskInfo = \"info\"\nTotalDisk = 1\n"
    "[BB2]\n"
    "FSTEndAddress = 0x1000000\nFSTuserEnd = 0x1000000\n";

// The sixteen required keys in table order, as message 1010 prints them.
inline const char *const kAllMissing =
    "Error: [Input] DvdRoot is undefined.\n"
    "Error: [Input] LDRFileName is undefined.\n"
    "Error: [Input] BI2FileName is undefined.\n"
    "Error: [Input] BootFileName is undefined.\n"
    "Error: [Input] ZEMSysFileName is undefined.\n"
    "Error: [Output] LayoutFileName is undefined.\n"
    "Error: [Output] SystemFileName is undefined.\n"
    "Error: [Output] ConfigFileName is undefined.\n"
    "Error: [DiskID] GameName is undefined.\n"
    "Error: [DiskID] Company is undefined.\n"
    "Error: [DiskID] DiskNumber is undefined.\n"
    "Error: [DiskID] GameVersion is undefined.\n"
    "Error: [DiskID] DiskInfo is undefined.\n"
    "Error: [DiskID] TotalDisk is undefined.\n"
    "Error: [BB2] FSTEndAddress is undefined.\n"
    "Error: [BB2] FSTuserEnd is undefined.\n";

}  // namespace qorv::test
