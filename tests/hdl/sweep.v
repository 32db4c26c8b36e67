// Drives every code of one dynamic select (SELECT, put in by tst_modgen) of a module pll1 with
// dynamic IDIV and FBDIV, the other select holding its own (fbdsel 0, idsel 63), and prints each
// code with CLKOUT's period in fs against a 100 MHz clkin.
`timescale 1ns / 1fs
module sweep;
    reg clkin = 1'b0;
    reg [5:0] idsel = 6'd63, fbdsel = 6'd0;
    wire clkout;
    pll1 dut (.clkin(clkin), .idsel(idsel), .fbdsel(fbdsel), .clkout(clkout));
    initial forever #5 clkin = ~clkin;
    integer code;
    realtime t0;
    initial begin
        #200;
        for (code = 0; code < 64; code = code + 1) begin
            SELECT = code;
            // The second edge after the change is the first of a whole period at the new code.
            @(posedge clkout);
            @(posedge clkout);
            t0 = $realtime;
            @(posedge clkout);
            $display("%0d %0.0f", code, ($realtime - t0) * 1.0e6);
        end
        $finish;
    end
endmodule
