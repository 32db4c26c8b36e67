-- SPDX-License-Identifier: MIT
-- Behavioural simulation model of the MIREL PLL primitive (VHDL-93), the
-- counterpart of mirel.v with the same generics, ports and behaviour:
--
--   CLKOUT   = CLKIN * FBDIV / IDIV               (CLKIN when CLKOUT_BYPASS is "true")
--   CLKOUTP  = CLKOUT delayed by PSDA/16 of a period, high for DUTYDA/16 of it
--                                                 (CLKIN when CLKOUTP_BYPASS is "true")
--   CLKOUTD  = source / SDIV_SEL, source CLKOUT or CLKOUTP (CLKIN when bypassed)
--   CLKOUTD3 = source / 3
--   LOCK     rises LOCK_CYCLES input cycles after the input period is steady and
--            RESET, RESET_P are low and VREN is high; outputs stay low until then.
--
-- Dynamic selects, when their DYN_* generic is "true":
--   IDIV = 64 - IDSEL, FBDIV = 64 - FBDSEL      (select 63 gives 1, select 0 gives 64)
--   phase code = PSDA, duty code = DUTYDA       (duty 0 or 1 counts as 8: half a period)
--   ODIV = 2 x (64 - ODSEL)                     (codes 63, 62, 60, 56, 48, 40, 32, 24,
--                                                16, 8, 0 give 2, 4, 8, 16, 32, 48, 64,
--                                                80, 96, 112, 128; any other stops the run)
-- ODSEL and ODIV_SEL only choose the VCO divider; FDLY and the *_FT_DIR switches
-- are accepted and not modelled; the feedback input is taken as compensated.
--
-- The model refuses what the silicon cannot run and stops the simulation at
-- time zero: IDIV_SEL or FBDIV_SEL outside 1~64, an ODIV_SEL that is not one of
-- 2, 4, 8, 16, 32, 48, 64, 80, 96, 112, 128, an SDIV_SEL that is odd or outside
-- 2~128, an FCLKIN that is not a frequency, and static dividers that put the VCO
-- (FCLKIN * FBDIV / IDIV * ODIV) outside VCO_MIN~VCO_MAX, the window of the
-- target device (the generator passes it; the default is the host's default
-- device). A bypassed CLKOUT does not run the VCO, so its window is not checked.
-- Once the input is steady, a CLKIN period more than 1 % away from FCLKIN stops
-- the simulation too: the module was generated for another input clock.
library IEEE;
use IEEE.std_logic_1164.all;
use IEEE.numeric_std.all;

entity MIREL is
    generic (
        FCLKIN: string := "100";
        DYN_IDIV_SEL: string := "false";
        IDIV_SEL: integer := 1;
        DYN_FBDIV_SEL: string := "false";
        FBDIV_SEL: integer := 1;
        DYN_ODIV_SEL: string := "false";
        ODIV_SEL: integer := 8;
        SDIV_SEL: integer := 2;
        DYN_DA_EN: string := "false";
        PSDA_SEL: string := "0000";
        DUTYDA_SEL: string := "1000";
        CLKOUT_FT_DIR: std_logic := '1';
        CLKOUTP_FT_DIR: std_logic := '1';
        CLKOUT_BYPASS: string := "false";
        CLKOUTP_BYPASS: string := "false";
        CLKOUTD_BYPASS: string := "false";
        CLKFB_SEL: string := "internal";
        CLKOUTD_SRC: string := "CLKOUT";
        CLKOUTD3_SRC: string := "CLKOUT";
        LOCK_EN: string := "false";
        VCO_MIN: integer := 400;
        VCO_MAX: integer := 1200
    );
    port (
        CLKOUT: out std_logic;
        LOCK: out std_logic;
        CLKOUTP: out std_logic;
        CLKOUTD: out std_logic;
        CLKOUTD3: out std_logic;
        RESET: in std_logic;
        RESET_P: in std_logic;
        VREN: in std_logic;
        CLKIN: in std_logic;
        CLKFB: in std_logic;
        IDSEL: in std_logic_vector(5 downto 0);
        FBDSEL: in std_logic_vector(5 downto 0);
        ODSEL: in std_logic_vector(5 downto 0);
        PSDA: in std_logic_vector(3 downto 0);
        DUTYDA: in std_logic_vector(3 downto 0);
        FDLY: in std_logic_vector(3 downto 0)
    );
end MIREL;

architecture behaviour of MIREL is

    constant LOCK_CYCLES: integer := 16;

    -- A "0101" text generic as a number.
    function code4(text: string) return integer is
        variable value: integer := 0;
    begin
        for i in text'range loop
            value := value * 2;
            if text(i) = '1' then
                value := value + 1;
            end if;
        end loop;
        return value;
    end function;

    -- FCLKIN in MHz ("27", "27.5"); -1.0 when the text is not a plain decimal number.
    function mhz_text(text: string) return real is
        variable value: real := 0.0;
        variable scale: real := 0.0;
        variable digits: integer := 0;
    begin
        for i in text'range loop
            if text(i) >= '0' and text(i) <= '9' then
                digits := digits + 1;
                if scale = 0.0 then
                    value := value * 10.0 + real(character'pos(text(i)) - character'pos('0'));
                else
                    value := value + real(character'pos(text(i)) - character'pos('0')) * scale;
                    scale := scale / 10.0;
                end if;
            elsif text(i) = '.' and scale = 0.0 then
                scale := 0.1;
            else
                return -1.0;
            end if;
        end loop;
        if digits = 0 then
            return -1.0;
        end if;
        return value;
    end function;

    constant FCLKIN_MHZ: real := mhz_text(FCLKIN);

    function odiv_legal(value: integer) return boolean is
    begin
        return value = 2 or value = 4 or value = 8 or (value >= 16 and value <= 128 and value mod 16 = 0);
    end function;

    function select_or(dynamic: string; sel: std_logic_vector; fixed: integer) return integer is
    begin
        if dynamic = "true" then
            return 64 - to_integer(unsigned(sel));
        end if;
        return fixed;
    end function;

    signal stopped: boolean;
    signal period_in: time := 0 ns;
    signal locked: std_logic := '0';
    signal clkout_pll, clkoutp_pll, clkoutd_div, clkoutd3_div: std_logic := '0';
    signal clkout_o, clkoutp_o, d_source, d3_source: std_logic;

    function period_out(period: time; idsel_in, fbdsel_in: std_logic_vector) return time is
    begin
        return period * select_or(DYN_IDIV_SEL, idsel_in, IDIV_SEL) / select_or(DYN_FBDIV_SEL, fbdsel_in, FBDIV_SEL);
    end function;

    function phase_code(psda_in: std_logic_vector) return integer is
    begin
        if DYN_DA_EN = "true" then
            return to_integer(unsigned(psda_in));
        end if;
        return code4(PSDA_SEL);
    end function;

    function duty_code(dutyda_in: std_logic_vector) return integer is
        variable code: integer;
    begin
        if DYN_DA_EN = "true" then
            code := to_integer(unsigned(dutyda_in));
        else
            code := code4(DUTYDA_SEL);
        end if;
        if code < 2 then
            return 8;
        end if;
        return code;
    end function;

begin

    check: process
        variable vco: real;
    begin
        assert FCLKIN_MHZ > 0.0
            report "MIREL " & check'path_name & ": FCLKIN """ & FCLKIN & """ is not a frequency in MHz" severity failure;
        assert IDIV_SEL >= 1 and IDIV_SEL <= 64
            report "MIREL " & check'path_name & ": IDIV_SEL " & integer'image(IDIV_SEL) & " is outside 1~64" severity failure;
        assert FBDIV_SEL >= 1 and FBDIV_SEL <= 64
            report "MIREL " & check'path_name & ": FBDIV_SEL " & integer'image(FBDIV_SEL) & " is outside 1~64" severity failure;
        assert odiv_legal(ODIV_SEL)
            report "MIREL " & check'path_name & ": ODIV_SEL " & integer'image(ODIV_SEL)
                   & " is not one of 2, 4, 8, 16, 32, 48, 64, 80, 96, 112, 128" severity failure;
        assert SDIV_SEL >= 2 and SDIV_SEL <= 128 and SDIV_SEL mod 2 = 0
            report "MIREL " & check'path_name & ": SDIV_SEL " & integer'image(SDIV_SEL)
                   & " is not an even number from 2 to 128" severity failure;
        if CLKOUT_BYPASS /= "true" and DYN_IDIV_SEL /= "true" and DYN_FBDIV_SEL /= "true" and DYN_ODIV_SEL /= "true" then
            vco := FCLKIN_MHZ * real(FBDIV_SEL) / real(IDIV_SEL) * real(ODIV_SEL);
            -- A tiny margin: FCLKIN is written with six significant digits.
            assert vco >= real(VCO_MIN) * (1.0 - 1.0e-6) and vco <= real(VCO_MAX) * (1.0 + 1.0e-6)
                report "MIREL " & check'path_name & ": the VCO at " & real'image(vco) & " MHz (FCLKIN " & FCLKIN
                       & " x FBDIV_SEL " & integer'image(FBDIV_SEL) & " / IDIV_SEL " & integer'image(IDIV_SEL)
                       & " x ODIV_SEL " & integer'image(ODIV_SEL) & ") is outside " & integer'image(VCO_MIN) & "~"
                       & integer'image(VCO_MAX) & " MHz" severity failure;
        end if;
        wait;
    end process;

    stopped <= RESET = '1' or RESET_P = '1' or VREN = '0';

    -- A running PLL needs a legal VCO divider from its dynamic select too.
    odsel_check: process (CLKIN)
        variable odiv: integer;
    begin
        if rising_edge(CLKIN) and DYN_ODIV_SEL = "true" and not stopped and not is_x(ODSEL) then
            odiv := 2 * (64 - to_integer(unsigned(ODSEL)));
            assert odiv_legal(odiv)
                report "MIREL " & odsel_check'path_name & ": ODSEL " & integer'image(64 - odiv / 2) & " gives ODIV "
                       & integer'image(odiv) & ", which is not one of 2, 4, 8, 16, 32, 48, 64, 80, 96, 112, 128"
                severity failure;
        end if;
    end process;

    measure: process (CLKIN, stopped)
        variable last: time := 0 ns;
        variable steady: integer := 0;
        variable elapsed: time;
    begin
        if stopped then
            steady := 0;
            last := 0 ns;
            locked <= '0';
            period_in <= 0 ns;
        elsif rising_edge(CLKIN) then
            if last > 0 ns then
                elapsed := now - last;
                if period_in > 0 ns and abs(elapsed - period_in) < period_in / 1000 then
                    steady := steady + 1;
                else
                    steady := 0;
                end if;
                period_in <= elapsed;
            end if;
            last := now;
            assert steady /= LOCK_CYCLES or abs(real(elapsed / 1 fs) * FCLKIN_MHZ - 1.0e9) <= 1.0e7
                report "MIREL " & measure'path_name & ": CLKIN runs at " & real'image(1.0e9 / real(elapsed / 1 fs))
                       & " MHz, more than 1 % away from FCLKIN """ & FCLKIN & """" severity failure;
            if steady >= LOCK_CYCLES then
                locked <= '1';
            end if;
        end if;
    end process;

    -- CLKOUT: free-running from the first measured period on.
    run_clkout: process
        variable period: time;
    begin
        if stopped or period_in = 0 ns then
            clkout_pll <= '0';
            wait until rising_edge(CLKIN) or stopped'event;
        else
            period := period_out(period_in, IDSEL, FBDSEL);
            clkout_pll <= '1';
            wait for period / 2;
            clkout_pll <= '0';
            wait for period - period / 2;
        end if;
    end process;

    -- CLKOUTP: starts a phase after a CLKOUT edge, then runs at the same period.
    run_clkoutp: process
        variable period: time;
        variable duty: integer;
    begin
        clkoutp_pll <= '0';
        wait until rising_edge(clkout_pll);
        wait for period_out(period_in, IDSEL, FBDSEL) * phase_code(PSDA) / 16;
        while not stopped and period_in > 0 ns loop
            period := period_out(period_in, IDSEL, FBDSEL);
            duty := duty_code(DUTYDA);
            clkoutp_pll <= '1';
            wait for period * duty / 16;
            clkoutp_pll <= '0';
            wait for period - period * duty / 16;
        end loop;
    end process;

    clkout_o <= CLKIN when CLKOUT_BYPASS = "true" else clkout_pll;
    clkoutp_o <= CLKIN when CLKOUTP_BYPASS = "true" else clkoutp_pll;
    CLKOUT <= clkout_o;
    CLKOUTP <= clkoutp_o;

    d_source <= clkoutp_o when CLKOUTD_SRC = "CLKOUTP" else clkout_o;
    divide_d: process (d_source)
        variable count: integer := 0;
    begin
        if rising_edge(d_source) then
            count := count + 1;
            if count >= SDIV_SEL / 2 then
                count := 0;
                clkoutd_div <= not clkoutd_div;
            end if;
        end if;
    end process;
    CLKOUTD <= CLKIN when CLKOUTD_BYPASS = "true" else clkoutd_div;

    d3_source <= clkoutp_o when CLKOUTD3_SRC = "CLKOUTP" else clkout_o;
    divide_d3: process (d3_source)
        variable count: integer := 0;
    begin
        if rising_edge(d3_source) then
            count := (count + 1) mod 3;
            if count = 0 then
                clkoutd3_div <= '1';
            else
                clkoutd3_div <= '0';
            end if;
        end if;
    end process;
    CLKOUTD3 <= clkoutd3_div;

    LOCK <= locked;

end behaviour;
