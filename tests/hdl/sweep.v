// Drives each code of one dynamic select (SELECT; the codes of LISTED, a 64-bit mask, both put in
// by tst_modgen) of a module pll1 with dynamic IDIV, FBDIV and ODIV, the other selects holding their
// own (idsel 63, fbdsel 0, odsel 0), and prints each code with CLKOUT's period in fs against a
// 100 MHz clkin; then drives AFTER, which the row expects the model to take or refuse.
`timescale 1ns / 1fs
module sweep;
    reg clkin = 1'b0;
    reg [5:0] idsel = 6'd63, fbdsel = 6'd0, odsel = 6'd0;
    reg [63:0] listed = LISTED;
    wire clkout;
    pll1 dut (.clkin(clkin), .idsel(idsel), .fbdsel(fbdsel), .odsel(odsel), .clkout(clkout));
    initial forever #5 clkin = ~clkin;
    integer code;
    realtime t0;
    initial begin
        #200;
        for (code = 0; code < 64; code = code + 1) if (listed[code]) begin
            SELECT = code;
            // The second edge after the change is the first of a whole period at the new code.
            @(posedge clkout);
            @(posedge clkout);
            t0 = $realtime;
            @(posedge clkout);
            $display("%0d %0.0f", code, ($realtime - t0) * 1.0e6);
        end
        SELECT = AFTER;
        #100;
        $finish;
    end
endmodule
