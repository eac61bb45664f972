#pragma once

// Where a result came from. The archive stores the number: never renumber.
enum class ResultSource { Instrument = 0, UploadedRecord = 1, DataFile = 2 };
