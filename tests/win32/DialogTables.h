#pragma once

// The dialogs as their tables lay them out: every control of the main
// window (template 102) and of the preferences dialog (template 134) in
// template order, with its ID (-1 for none) and its rectangle in dialog
// units. The driver compares the live windows with these rows.
namespace ferolith::driver {

struct ControlRow {
  int id;
  int x, y, width, height;
  bool comboBox;  // the height includes the open list
};

inline constexpr ControlRow kMainWindowTable[] = {
    {1016, 6, 4, 252, 8, false},     {1019, 4, 14, 256, 10, false},   {1000, 4, 30, 50, 12, false},
    {1001, 58, 30, 50, 12, false},   {1002, 4, 46, 50, 12, false},    {1003, 58, 46, 50, 12, false},
    {1005, 4, 62, 104, 12, false},   {1006, 4, 78, 50, 12, false},    {1007, 58, 78, 50, 12, false},
    {1017, 4, 94, 50, 12, false},    {1018, 58, 94, 50, 12, false},   {1004, 115, 30, 145, 100, true},
    {1011, 116, 46, 145, 85, true},  {-1, 116, 62, 90, 48, false},    {1012, 122, 71, 65, 10, false},
    {1013, 122, 82, 80, 10, false},  {1022, 122, 94, 82, 10, false},  {-1, 210, 64, 51, 47, false},
    {-1, 6, 114, 256, 66, false},    {1026, 10, 124, 56, 52, false},  {1008, 16, 132, 34, 10, false},
    {1009, 16, 142, 48, 10, false},  {1010, 16, 152, 49, 10, false},  {1014, 16, 162, 40, 10, false},
    {1015, 74, 124, 49, 10, false},  {1020, 166, 124, 65, 10, false}, {1021, 74, 138, 77, 10, false},
    {1025, 166, 138, 52, 10, false}, {1023, 74, 152, 138, 10, false}, {1024, 74, 164, 127, 10, false},
};

inline constexpr ControlRow kPreferencesTable[] = {
    {-1, 5, 5, 40, 8, false},    {1009, 5, 15, 48, 65, true}, {-1, 65, 5, 55, 8, false},
    {1017, 65, 15, 40, 14, false}, {-1, 5, 35, 48, 8, false}, {1005, 5, 45, 40, 14, false},
    {-1, 65, 35, 30, 8, false},  {1016, 65, 45, 40, 14, false}, {1018, 6, 66, 45, 10, false},
    {1019, 66, 66, 65, 10, false}, {1, 6, 82, 50, 14, false},  {2, 66, 82, 50, 14, false},
};

// The 23 input controls that a running command disables.
inline constexpr int kInputControls[] = {1002, 1003, 1000, 1001, 1006, 1007, 1018, 1004,
                                         1011, 1012, 1013, 1022, 1015, 1020, 1021, 1025,
                                         1023, 1024, 1008, 1009, 1010, 1014, 1005};

}  // namespace ferolith::driver
