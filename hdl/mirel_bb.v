// SPDX-License-Identifier: MIT
// The MIREL primitive as a black box: its ports and parameters, no behaviour. Read it
// instead of mirel.v for synthesis and lint (yosys, Verilator); the place-and-route
// tools supply the primitive itself. The simulation model is mirel.v.
`timescale 1ns / 1ps

/* verilator lint_off DECLFILENAME */
/* verilator lint_off UNUSEDPARAM */
/* verilator lint_off UNUSEDSIGNAL */
/* verilator lint_off UNDRIVEN */
(* blackbox *)
module MIREL #(
    parameter FCLKIN = "100",
    parameter DYN_IDIV_SEL = "false",
    parameter IDIV_SEL = 1,
    parameter DYN_FBDIV_SEL = "false",
    parameter FBDIV_SEL = 1,
    parameter DYN_ODIV_SEL = "false",
    parameter ODIV_SEL = 8,
    parameter SDIV_SEL = 2,
    parameter DYN_DA_EN = "false",
    parameter PSDA_SEL = "0000",
    parameter DUTYDA_SEL = "1000",
    parameter CLKOUT_FT_DIR = 1'b1,
    parameter CLKOUTP_FT_DIR = 1'b1,
    parameter CLKOUT_BYPASS = "false",
    parameter CLKOUTP_BYPASS = "false",
    parameter CLKOUTD_BYPASS = "false",
    parameter CLKFB_SEL = "internal",
    parameter CLKOUTD_SRC = "CLKOUT",
    parameter CLKOUTD3_SRC = "CLKOUT",
    parameter LOCK_EN = "false",
    parameter VCO_MIN = 400,
    parameter VCO_MAX = 1200
) (
    output CLKOUT,
    output LOCK,
    output CLKOUTP,
    output CLKOUTD,
    output CLKOUTD3,
    input RESET,
    input RESET_P,
    input VREN,
    input CLKIN,
    input CLKFB,
    input [5:0] IDSEL,
    input [5:0] FBDSEL,
    input [5:0] ODSEL,
    input [3:0] PSDA,
    input [3:0] DUTYDA,
    input [3:0] FDLY
);
endmodule
/* verilator lint_on UNDRIVEN */
/* verilator lint_on UNUSEDSIGNAL */
/* verilator lint_on UNUSEDPARAM */
/* verilator lint_on DECLFILENAME */
