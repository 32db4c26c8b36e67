-- Drives every code of one dynamic select (SELECT, put in by tst_modgen) of a module pll1 with
-- dynamic IDIV and FBDIV, the other select holding its own (fbdsel 0, idsel 63), and reports each
-- code with CLKOUT's period in fs against a 100 MHz clkin.
library ieee;
use ieee.std_logic_1164.all;
use ieee.numeric_std.all;

entity sweep is
end entity;

architecture bench of sweep is
    signal clkin, clkout: std_logic := '0';
    signal idsel: std_logic_vector(5 downto 0) := "111111";
    signal fbdsel: std_logic_vector(5 downto 0) := "000000";
begin
    dut: entity work.pll1 port map (clkin => clkin, idsel => idsel, fbdsel => fbdsel, clkout => clkout);
    clkin <= not clkin after 5 ns;
    process
        variable t0: time;
    begin
        wait for 200 ns;
        for code in 0 to 63 loop
            SELECT <= std_logic_vector(to_unsigned(code, 6));
            wait until rising_edge(clkout);
            wait until rising_edge(clkout);
            t0 := now;
            wait until rising_edge(clkout);
            report integer'image(code) & " " & integer'image((now - t0) / 1 fs);
        end loop;
        std.env.finish;
    end process;
end architecture;
