-- SPDX-License-Identifier: MIT
-- The MIREL primitive as a component, with its generics and ports and no behaviour,
-- for synthesis and lint: "use work.mirel_components.all;" declares it, and the
-- synthesis tool keeps the instance as a black box for the place-and-route tools.
-- The simulation model is mirel.vhd.
library IEEE;
use IEEE.std_logic_1164.all;

package mirel_components is

    component MIREL
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
    end component;

    attribute syn_black_box: boolean;
    attribute syn_black_box of MIREL: component is true;

end package mirel_components;
