// Identifiers of the diary export's progress dialog (res/diary.rc).
#pragma once

#define IDD_DIARY_EXPORT 150
#define IDC_DIARY_EXPORT_STATUS 1301    // what is being done, and the picture count
#define IDC_DIARY_EXPORT_PROGRESS 1302  // the progress bar: pictures done of all
