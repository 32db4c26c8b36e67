// SPDX-License-Identifier: MIT
// Behavioural simulation model of the MIREL PLL primitive, for simulating a
// design that uses a generated MIREL module. It models frequencies, phase, duty,
// bypasses and lock; it does not model jitter, the VCO or fine delay.
//
//   CLKOUT   = CLKIN * FBDIV / IDIV               (CLKIN when CLKOUT_BYPASS is "true")
//   CLKOUTP  = CLKOUT delayed by PSDA/16 of a period, high for DUTYDA/16 of it
//                                                 (CLKIN when CLKOUTP_BYPASS is "true")
//   CLKOUTD  = source / SDIV_SEL, source CLKOUT or CLKOUTP (CLKIN when bypassed)
//   CLKOUTD3 = source / 3
//   LOCK     rises LOCK_CYCLES input cycles after the input period is steady and
//            RESET, RESET_P are low and VREN is high; outputs stay low until then.
//
// Dynamic selects, when their DYN_* parameter is "true":
//   IDIV  = 64 - IDSEL,  FBDIV = 64 - FBDSEL   (select 63 gives 1, select 0 gives 64)
//   phase code = PSDA, duty code = DUTYDA      (duty 0 or 1 counts as 8: half a period)
//   ODIV  = 2 x (64 - ODSEL)                   (codes 63, 62, 60, 56, 48, 40, 32, 24,
//                                               16, 8, 0 give 2, 4, 8, 16, 32, 48, 64,
//                                               80, 96, 112, 128; any other stops the run)
// ODSEL and ODIV_SEL choose the VCO divider, which does not change any output
// frequency, so they only have to be legal. FDLY and the *_FT_DIR switches are
// accepted and not modelled. The feedback input is taken as compensated.
//
// The model refuses what the silicon cannot run and stops the simulation at
// time zero: IDIV_SEL or FBDIV_SEL outside 1~64, an ODIV_SEL that is not one of
// 2, 4, 8, 16, 32, 48, 64, 80, 96, 112, 128, an SDIV_SEL that is odd or outside
// 2~128, an FCLKIN that is not a frequency, and static dividers that put the VCO
// (FCLKIN * FBDIV / IDIV * ODIV) outside VCO_MIN~VCO_MAX, the window of the
// target device (the generator passes it; the default is the host's default
// device). A bypassed CLKOUT does not run the VCO, so its window is not checked.
// Once the input is steady, a CLKIN period more than 1 % away from FCLKIN stops
// the simulation too: the module was generated for another input clock.
`timescale 1ns / 1ps

// Lint waivers (verilator --lint-only -Wall --timing), each for the whole model:
// DECLFILENAME: the primitive's name is upper case, as the generated modules spell it.
// UNUSEDPARAM, UNUSEDSIGNAL: every parameter and port of the primitive is taken, so that
//   any instance elaborates; feedback, FDLY and the fine-tuning are not modelled.
// BLKSEQ: these are behavioural processes, not flip-flops; each reads what it has just
//   computed in the same step.
/* verilator lint_off DECLFILENAME */
/* verilator lint_off UNUSEDPARAM */
/* verilator lint_off UNUSEDSIGNAL */
/* verilator lint_off BLKSEQ */
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

    localparam integer LOCK_CYCLES = 16;

    // A 4-character "0101" text parameter as a number.
    function [4:0] code4(input [31:0] text);
        integer i;
        begin
            code4 = 5'd0;
            for (i = 0; i < 4; i = i + 1)
                code4 = code4 * 5'd2 + ((text[(3 - i) * 8 +: 8] == "1") ? 5'd1 : 5'd0);
        end
    endfunction

    // FCLKIN in MHz ("27", "27.5"); -1 when the text is not a plain decimal number.
    function real mhz_text(input [8 * 24 - 1:0] text);
        integer i, digits;
        real scale;
        reg [7:0] c;
        reg bad;
        begin
            mhz_text = 0.0;
            scale = 0.0;
            digits = 0;
            bad = 1'b0;
            for (i = 23; i >= 0; i = i - 1) begin
                c = text[i * 8 +: 8];
                if (c >= "0" && c <= "9") begin
                    digits = digits + 1;
                    if (scale == 0.0) begin
                        mhz_text = mhz_text * 10.0 + (c - "0");
                    end else begin
                        mhz_text = mhz_text + (c - "0") * scale;
                        scale = scale / 10.0;
                    end
                end else if (c == "." && scale == 0.0) begin
                    scale = 0.1;
                end else if (c != 8'd0) begin
                    bad = 1'b1;
                end
            end
            if (bad || digits == 0)
                mhz_text = -1.0;
        end
    endfunction

    function odiv_legal(input integer value);
        odiv_legal = value == 2 || value == 4 || value == 8 || (value >= 16 && value <= 128 && value % 16 == 0);
    endfunction

    // A text parameter is as wide as its text; the leading NUL characters
    // that widen it are skipped.
    /* verilator lint_off WIDTH */
    localparam real FCLKIN_MHZ = mhz_text(FCLKIN);
    /* verilator lint_on WIDTH */
    localparam real VCO_MHZ = FCLKIN_MHZ * FBDIV_SEL / IDIV_SEL * ODIV_SEL;

    initial begin
        if (FCLKIN_MHZ <= 0.0)
            $fatal(1, "MIREL %m: FCLKIN \"%0s\" is not a frequency in MHz", FCLKIN);
        if (IDIV_SEL < 1 || IDIV_SEL > 64)
            $fatal(1, "MIREL %m: IDIV_SEL %0d is outside 1~64", IDIV_SEL);
        if (FBDIV_SEL < 1 || FBDIV_SEL > 64)
            $fatal(1, "MIREL %m: FBDIV_SEL %0d is outside 1~64", FBDIV_SEL);
        if (!odiv_legal(ODIV_SEL))
            $fatal(1, "MIREL %m: ODIV_SEL %0d is not one of 2, 4, 8, 16, 32, 48, 64, 80, 96, 112, 128", ODIV_SEL);
        if (SDIV_SEL < 2 || SDIV_SEL > 128 || SDIV_SEL % 2 != 0)
            $fatal(1, "MIREL %m: SDIV_SEL %0d is not an even number from 2 to 128", SDIV_SEL);
        // A tiny margin: FCLKIN is written with six significant digits.
        if (CLKOUT_BYPASS != "true" && DYN_IDIV_SEL != "true" && DYN_FBDIV_SEL != "true" && DYN_ODIV_SEL != "true"
            && (VCO_MHZ < VCO_MIN * (1.0 - 1e-6) || VCO_MHZ > VCO_MAX * (1.0 + 1e-6)))
            $fatal(1, "MIREL %m: the VCO at %0f MHz (FCLKIN %0s x FBDIV_SEL %0d / IDIV_SEL %0d x ODIV_SEL %0d) is outside %0d~%0d MHz",
                   VCO_MHZ, FCLKIN, FBDIV_SEL, IDIV_SEL, ODIV_SEL, VCO_MIN, VCO_MAX);
    end

    wire stopped = RESET || RESET_P || !VREN;
    // A running PLL needs a legal VCO divider from its dynamic select too.
    wire [7:0] odsel_odiv = 8'd2 * (8'd64 - {2'b00, ODSEL});
    always @(posedge CLKIN)
        if (DYN_ODIV_SEL == "true" && !stopped && !odiv_legal({24'd0, odsel_odiv}))
            $fatal(1, "MIREL %m: ODSEL %0d gives ODIV %0d, which is not one of 2, 4, 8, 16, 32, 48, 64, 80, 96, 112, 128",
                   ODSEL, odsel_odiv);
    wire [6:0] idiv = (DYN_IDIV_SEL == "true") ? 7'd64 - IDSEL : IDIV_SEL;
    wire [6:0] fbdiv = (DYN_FBDIV_SEL == "true") ? 7'd64 - FBDSEL : FBDIV_SEL;
    wire [4:0] phase = (DYN_DA_EN == "true") ? {1'b0, PSDA} : code4(PSDA_SEL);
    wire [4:0] duty_code = (DYN_DA_EN == "true") ? {1'b0, DUTYDA} : code4(DUTYDA_SEL);
    wire [4:0] duty = (duty_code < 2) ? 5'd8 : duty_code;

    // Input period, and how many cycles it has stayed the same.
    realtime last_edge = 0.0;
    real period_in = 0.0;
    integer steady = 0;
    reg locked = 1'b0;
    always @(posedge CLKIN or posedge stopped) begin
        if (stopped) begin
            steady = 0;
            locked = 1'b0;
            period_in = 0.0;
            last_edge = 0.0;
        end else begin
            if (last_edge > 0.0) begin
                if (period_in > 0.0 && ($realtime - last_edge - period_in) < 0.001 * period_in
                    && (period_in - ($realtime - last_edge)) < 0.001 * period_in)
                    steady = steady + 1;
                else
                    steady = 0;
                period_in = $realtime - last_edge;
            end
            last_edge = $realtime;
            if (steady == LOCK_CYCLES && (period_in * FCLKIN_MHZ > 1010.0 || period_in * FCLKIN_MHZ < 990.0))
                $fatal(1, "MIREL %m: CLKIN runs at %0f MHz, more than 1 %% away from FCLKIN \"%0s\"",
                       1000.0 / period_in, FCLKIN);
            if (steady >= LOCK_CYCLES)
                locked = 1'b1;
        end
    end

    function real out_period(input real in_period, input [6:0] in_div, input [6:0] fb_div);
        out_period = in_period * in_div / fb_div;
    endfunction

    // CLKOUT: free-running from the first measured period on.
    reg clkout_pll = 1'b0;
    initial begin
        forever begin
            // An unknown dynamic select gives no period: wait rather than spin at one instant.
            if (stopped || period_in <= 0.0 || !(out_period(period_in, idiv, fbdiv) > 0.0)) begin
                clkout_pll = 1'b0;
                @(posedge CLKIN);
            end else begin
                clkout_pll = 1'b1;
                #(out_period(period_in, idiv, fbdiv) / 2.0);
                clkout_pll = 1'b0;
                #(out_period(period_in, idiv, fbdiv) / 2.0);
            end
        end
    end

    // CLKOUTP: each CLKOUT edge, delayed by the phase, high for the duty.
    // The delays are computed first: Verilator 5.006 fails on a function call
    // inside an intra-assignment delay.
    reg clkoutp_pll = 1'b0;
    real clkoutp_rise, clkoutp_fall;
    always @(posedge clkout_pll) begin
        clkoutp_rise = out_period(period_in, idiv, fbdiv) * phase / 16.0;
        clkoutp_fall = out_period(period_in, idiv, fbdiv) * (phase + duty) / 16.0;
        clkoutp_pll <= #(clkoutp_rise) 1'b1;
        clkoutp_pll <= #(clkoutp_fall) 1'b0;
    end

    assign CLKOUT = (CLKOUT_BYPASS == "true") ? CLKIN : clkout_pll;
    assign CLKOUTP = (CLKOUTP_BYPASS == "true") ? CLKIN : clkoutp_pll;

    // Text parameters compare zero-extended, as Verilog texts do.
    /* verilator lint_off WIDTH */
    wire d_source = (CLKOUTD_SRC == "CLKOUTP") ? CLKOUTP : CLKOUT;
    wire d3_source = (CLKOUTD3_SRC == "CLKOUTP") ? CLKOUTP : CLKOUT;
    /* verilator lint_on WIDTH */
    integer d_count = 0;
    reg clkoutd_div = 1'b0;
    always @(posedge d_source) begin
        d_count = d_count + 1;
        if (d_count >= SDIV_SEL / 2) begin
            d_count = 0;
            clkoutd_div = ~clkoutd_div;
        end
    end
    assign CLKOUTD = (CLKOUTD_BYPASS == "true") ? CLKIN : clkoutd_div;

    integer d3_count = 0;
    reg clkoutd3_div = 1'b0;
    always @(posedge d3_source) begin
        d3_count = (d3_count + 1) % 3;
        clkoutd3_div = (d3_count == 0);
    end
    assign CLKOUTD3 = clkoutd3_div;

    assign LOCK = locked;

endmodule
/* verilator lint_on BLKSEQ */
/* verilator lint_on UNUSEDSIGNAL */
/* verilator lint_on UNUSEDPARAM */
/* verilator lint_on DECLFILENAME */
