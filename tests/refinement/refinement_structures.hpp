// Small structures of the refinement's tests and benchmarks, as CIF text: an orthorhombic (P n m a,
// atoms on x 1/4 z and general), a trigonal on hexagonal axes (R -3 c, 0 0 z and x 0 1/4) and a
// monoclinic (P 21/m, atoms on the mirror and general) structure, and a hexagonal one (P 63/m m c)
// with a site x 2x z and two anisotropic atoms; and anglesite, PbSO4 (P n m a), with the positions
// of the room-temperature structure as published (Miyake, Minato, Morikawa & Iwai, Am. Mineral. 63,
// 506, 1978), rounded, and B's guessed: the start a user would take for the round robin's data.
#pragma once

namespace kalidos::testing {

inline constexpr const char* kOrthorhombicCif = R"(data_orthorhombic
_cell_length_a 5.4423
_cell_length_b 7.6401
_cell_length_c 5.3796
_cell_angle_alpha 90
_cell_angle_beta 90
_cell_angle_gamma 90
_symmetry_space_group_name_H-M 'P n m a'
loop_
_atom_site_label
_atom_site_type_symbol
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
_atom_site_B_iso_or_equiv
_atom_site_occupancy
Ca1 Ca 0.0065 0.25 0.9926 0.60 1
Ti1 Ti 0 0 0.5 0.40 1
O1 O 0.5711 0.25 0.0708 0.70 1
O2 O 0.2897 0.0373 0.7108 0.75 1
)";

inline constexpr const char* kTrigonalCif = R"(data_trigonal
_cell_length_a 4.7589
_cell_length_b 4.7589
_cell_length_c 12.9910
_cell_angle_alpha 90
_cell_angle_beta 90
_cell_angle_gamma 120
_symmetry_space_group_name_H-M 'R -3 c'
loop_
_atom_site_label
_atom_site_type_symbol
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
_atom_site_B_iso_or_equiv
_atom_site_occupancy
Al1 Al 0 0 0.35216 0.30 1
O1 O 0.30624 0 0.25 0.35 1
)";

inline constexpr const char* kMonoclinicCif = R"(data_monoclinic
_cell_length_a 7.1200
_cell_length_b 5.3400
_cell_length_c 6.4800
_cell_angle_alpha 90
_cell_angle_beta 104.60
_cell_angle_gamma 90
_symmetry_space_group_name_H-M 'P 1 21/m 1'
loop_
_atom_site_label
_atom_site_type_symbol
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
_atom_site_B_iso_or_equiv
_atom_site_occupancy
Ba1 Ba 0.2200 0.25 0.1450 0.80 1
S1 S 0.6540 0.25 0.3120 0.60 1
O1 O 0.5180 0.25 0.1210 0.90 1
O2 O 0.8420 0.25 0.2640 0.90 1
O3 O 0.6050 0.0330 0.4300 1.00 1
)";

inline constexpr const char* kHexagonalCif = R"(data_hexagonal
_cell_length_a 5.2210
_cell_length_b 5.2210
_cell_length_c 8.5670
_cell_angle_alpha 90
_cell_angle_beta 90
_cell_angle_gamma 120
_symmetry_space_group_name_H-M 'P 63/m m c'
loop_
_atom_site_label
_atom_site_type_symbol
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
_atom_site_B_iso_or_equiv
_atom_site_occupancy
Mg1 Mg 0.333333 0.666667 0.0629 0.80 1
Zn1 Zn 0 0 0 0.70 1
Zn2 Zn 0.8305 0.6610 0.25 0.70 1
loop_
_atom_site_aniso_label
_atom_site_aniso_U_11
_atom_site_aniso_U_22
_atom_site_aniso_U_33
_atom_site_aniso_U_12
_atom_site_aniso_U_13
_atom_site_aniso_U_23
Zn1 0.0090 0.0090 0.0120 0.0045 0 0
Zn2 0.0100 0.0080 0.0110 0.0040 0 0
)";

// Zinc metal, hexagonal close packed.
inline constexpr const char* kZincCif = R"(data_zinc
_cell_length_a 2.6649
_cell_length_b 2.6649
_cell_length_c 4.9468
_cell_angle_alpha 90
_cell_angle_beta 90
_cell_angle_gamma 120
_symmetry_space_group_name_H-M 'P 63/m m c'
loop_
_atom_site_label
_atom_site_type_symbol
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
_atom_site_B_iso_or_equiv
Zn1 Zn 0.33333 0.66667 0.25 1.0
)";

inline constexpr const char* kAnglesiteCif = R"(data_anglesite
_cell_length_a 8.480
_cell_length_b 5.398
_cell_length_c 6.958
_cell_angle_alpha 90
_cell_angle_beta 90
_cell_angle_gamma 90
_symmetry_space_group_name_H-M 'P n m a'
loop_
_atom_site_label
_atom_site_type_symbol
_atom_site_fract_x
_atom_site_fract_y
_atom_site_fract_z
_atom_site_B_iso_or_equiv
Pb1 Pb 0.1879 0.25 0.1673 1.0
S1 S 0.0633 0.25 0.6842 0.5
O1 O 0.9079 0.25 0.5951 1.5
O2 O 0.1939 0.25 0.5437 1.5
O3 O 0.0810 0.0272 0.8086 1.2
)";

}  // namespace kalidos::testing
